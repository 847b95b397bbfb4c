// SPDX-License-Identifier: MIT
#include "ui/pages/CommunicationDlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "model/SettingsRules.h"
#include "ui/pages/PageLayout.h"

namespace kr {

using namespace communication_id;

namespace {

// The controls of each link, labels and range notes included, enabled and
// disabled as a whole.
const QList<int> kSpiSet = {kSpiClockLabel, kSpiClock,      kSpiClockRange,   kPhaseLabel,      kPhaseFirstEdge,
                            kPhaseSecondEdge, kPolarityLabel, kPolarityIdleLow, kPolarityIdleHigh};
const QList<int> kSmbusSet = {kSmbusClockLabel, kSmbusClock, kSmbusClockRange, kAddressLabel, kAddress, kAddressHex};
const QList<int> kUartSet = {kBaudRateLabel, kBaudRate,   kBaudRateRange, kDataBitsLabel, kDataBits,
                             kParityLabel,   kParity,     kStopBitsLabel, kStopBits};

}  // namespace

CCommunicationDlg::CCommunicationDlg(QWidget* parent, CommunicationData* record)
    : CGroupPage(kTemplateId, parent, record)
{
    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Inter-Chip Communication"), grid));

    QRadioButton* spi = MakeRadio(this, tr("Serial Peripheral Interface (SPI)"), kSpi);
    QRadioButton* smbus = MakeRadio(this, tr("System Management Bus (SMBus)"), kSmbus);
    QRadioButton* uart = MakeRadio(this, tr("Universal Asynchronous Receiver Transmitter (UART)"), kUart);
    MakeRadioGroup(this, {spi, smbus, uart});
    for (QRadioButton* protocol : {spi, smbus, uart})
        connect(protocol, &QRadioButton::clicked, this, &CCommunicationDlg::RefreshControls);

    // Each link's settings stand below its button, lined up with its caption.
    int row = 0;
    auto numberRow = [&](const QString& label, int labelId, int id, const QString& note, int noteId) {
        grid->addWidget(MakeLabel(this, label, labelId), row, 1);
        grid->addWidget(MakeNumberBox(this, id), row, 2);
        grid->addWidget(MakeLabel(this, note, noteId), row, 3);
        ++row;
    };
    auto choiceRows = [&](const QString& label, int labelId, int firstId, const QString& first, int secondId,
                          const QString& second) {
        QRadioButton* a = MakeRadio(this, first, firstId);
        QRadioButton* b = MakeRadio(this, second, secondId);
        MakeRadioGroup(this, {a, b});
        grid->addWidget(MakeLabel(this, label, labelId), row, 1);
        grid->addWidget(a, row++, 2, 1, 2);
        grid->addWidget(b, row++, 2, 1, 2);
    };
    auto gap = [&] { grid->addItem(MakeGap(this), row++, 0); };

    grid->addWidget(spi, row++, 0, 1, 4);
    numberRow(tr("Clock Speed:"), kSpiClockLabel, kSpiClock, tr("(100,000 - 4,000,000 Hz)"), kSpiClockRange);
    choiceRows(tr("Clock Phase:"), kPhaseLabel, kPhaseFirstEdge, tr("Data centered on first edge of SCK period"),
               kPhaseSecondEdge, tr("Data centered on second edge of SCK period"));
    choiceRows(tr("Clock Polarity:"), kPolarityLabel, kPolarityIdleLow, tr("SCK line low in idle state"),
               kPolarityIdleHigh, tr("SCK line high in idle state"));
    gap();

    grid->addWidget(smbus, row++, 0, 1, 4);
    numberRow(tr("Clock Speed:"), kSmbusClockLabel, kSmbusClock, tr("(10,000 - 400,000 Hz)"), kSmbusClockRange);
    numberRow(tr("Slave Address:"), kAddressLabel, kAddress, tr("(Hex)"), kAddressHex);
    gap();

    grid->addWidget(uart, row++, 0, 1, 4);
    numberRow(tr("Baud Rate:"), kBaudRateLabel, kBaudRate, tr("(9,600 - 500,000 bps)"), kBaudRateRange);
    auto* framing = new QHBoxLayout;
    framing->addWidget(MakeList(this, kDataBits, {"5", "6", "7", "8"}));
    framing->addSpacing(framing->spacing() * 3);
    framing->addWidget(MakeLabel(this, tr("Parity:"), kParityLabel));
    framing->addWidget(MakeList(this, kParity, {"N", "O", "E", "M", "S"}));
    framing->addSpacing(framing->spacing() * 3);
    framing->addWidget(MakeLabel(this, tr("Stop Bits:"), kStopBitsLabel));
    framing->addWidget(MakeList(this, kStopBits, {"1", "1.5/2"}));
    framing->addStretch(1);
    grid->addWidget(MakeLabel(this, tr("Data Bits:"), kDataBitsLabel), row, 1);
    grid->addLayout(framing, row++, 2, 1, 2);

    grid->setColumnMinimumWidth(0, ButtonCaptionIndent(spi));
    grid->setColumnStretch(3, 1);
    FinishPage(this, page);
}

void CCommunicationDlg::ExchangeGroup(ExchangeContext& ctx, CommunicationData& group)
{
    ExchangeRadioGroup(ctx, kSpi, group.protocol);
    ExchangeRadioGroup(ctx, kPhaseFirstEdge, group.spiPha);
    ExchangeRadioGroup(ctx, kPolarityIdleLow, group.spiPol);
    ExchangeList(ctx, kDataBits, group.uartDataBits);
    ExchangeList(ctx, kParity, group.uartParity);
    ExchangeList(ctx, kStopBits, group.uartStopBits);
    // Every link's numbers are checked, whichever link is chosen.
    ExchangeDecimalDWord(ctx, kSpiClock, group.spiClk);
    ValidateField(ctx, u"CommunicationData/spiClk", group.spiClk);
    ExchangeDecimalDWord(ctx, kSmbusClock, group.smbusClk);
    ValidateField(ctx, u"CommunicationData/smbusClk", group.smbusClk);
    ExchangeHexByte(ctx, kAddress, group.smbusAddress);
    LimitHexDigits(ctx, 2);
    ValidateField(ctx, u"CommunicationData/smbusAddress", group.smbusAddress);
    ExchangeDecimalDWord(ctx, kBaudRate, group.uartBaudRate);
    ValidateField(ctx, u"CommunicationData/uartBaudRate", group.uartBaudRate);
}

void CCommunicationDlg::RefreshControls()
{
    const int link = IsChecked(*this, kSpi) ? 0 : IsChecked(*this, kSmbus) ? 1 : 2;
    EnableControls(*this, kSpiSet, link == 0);
    EnableControls(*this, kSmbusSet, link == 1);
    EnableControls(*this, kUartSet, link == 2);
}

}  // namespace kr
