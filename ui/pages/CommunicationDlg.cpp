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

CCommunicationDlg::CCommunicationDlg(QWidget* parent, CommunicationData* record)
    : CGroupPage(kTemplateId, parent, record)
{
    using namespace communication_id;
    QVBoxLayout* page = StartPage(this);
    QGridLayout* grid = nullptr;
    page->addWidget(MakeFrame(this, tr("Inter-Chip Communication"), grid));

    spi_ = MakeRadio(this, tr("Serial Peripheral Interface (SPI)"), kSpi);
    smbus_ = MakeRadio(this, tr("System Management Bus (SMBus)"), kSmbus);
    uart_ = MakeRadio(this, tr("Universal Asynchronous Receiver Transmitter (UART)"), kUart);
    MakeRadioGroup(this, {spi_, smbus_, uart_});
    for (QRadioButton* protocol : {spi_, smbus_, uart_})
        connect(protocol, &QRadioButton::clicked, this, &CCommunicationDlg::RefreshControls);

    // Each link's settings stand below its button, lined up with its caption;
    // each control joins the set of its link (set), enabled as a whole.
    int row = 0;
    QList<QWidget*>* set = &spiSet_;
    auto numberRow = [&](const QString& label, int labelId, int id, const QString& note, int noteId) {
        QLabel* caption = MakeLabel(this, label, labelId);
        QLineEdit* box = MakeNumberBox(this, id);
        QLabel* after = MakeLabel(this, note, noteId);
        grid->addWidget(caption, row, 1);
        grid->addWidget(box, row, 2);
        grid->addWidget(after, row, 3);
        *set << caption << box << after;
        ++row;
        return box;
    };
    auto choiceRows = [&](const QString& label, int labelId, int firstId, const QString& first, int secondId,
                          const QString& second) {
        QRadioButton* a = MakeRadio(this, first, firstId);
        QRadioButton* b = MakeRadio(this, second, secondId);
        MakeRadioGroup(this, {a, b});
        QLabel* caption = MakeLabel(this, label, labelId);
        grid->addWidget(caption, row, 1);
        grid->addWidget(a, row++, 2, 1, 2);
        grid->addWidget(b, row++, 2, 1, 2);
        *set << caption << a << b;
        return a;
    };
    auto gap = [&] { grid->addItem(MakeGap(this), row++, 0); };

    grid->addWidget(spi_, row++, 0, 1, 4);
    spiClock_ =
        numberRow(tr("Clock Speed:"), kSpiClockLabel, kSpiClock, tr("(100,000 - 4,000,000 Hz)"), kSpiClockRange);
    phaseFirstEdge_ =
        choiceRows(tr("Clock Phase:"), kPhaseLabel, kPhaseFirstEdge, tr("Data centered on first edge of SCK period"),
                   kPhaseSecondEdge, tr("Data centered on second edge of SCK period"));
    polarityIdleLow_ =
        choiceRows(tr("Clock Polarity:"), kPolarityLabel, kPolarityIdleLow, tr("SCK line low in idle state"),
                   kPolarityIdleHigh, tr("SCK line high in idle state"));
    gap();

    set = &smbusSet_;
    grid->addWidget(smbus_, row++, 0, 1, 4);
    smbusClock_ =
        numberRow(tr("Clock Speed:"), kSmbusClockLabel, kSmbusClock, tr("(10,000 - 400,000 Hz)"), kSmbusClockRange);
    address_ = numberRow(tr("Slave Address:"), kAddressLabel, kAddress, tr("(Hex)"), kAddressHex);
    gap();

    set = &uartSet_;
    grid->addWidget(uart_, row++, 0, 1, 4);
    baudRate_ = numberRow(tr("Baud Rate:"), kBaudRateLabel, kBaudRate, tr("(9,600 - 500,000 bps)"), kBaudRateRange);
    auto* framing = new QHBoxLayout;
    framing->addWidget(dataBits_ = MakeList(this, kDataBits, {"5", "6", "7", "8"}));
    framing->addSpacing(framing->spacing() * 3);
    QLabel* parityLabel = MakeLabel(this, tr("Parity:"), kParityLabel);
    framing->addWidget(parityLabel);
    framing->addWidget(parity_ = MakeList(this, kParity, {"N", "O", "E", "M", "S"}));
    framing->addSpacing(framing->spacing() * 3);
    QLabel* stopBitsLabel = MakeLabel(this, tr("Stop Bits:"), kStopBitsLabel);
    framing->addWidget(stopBitsLabel);
    framing->addWidget(stopBits_ = MakeList(this, kStopBits, {"1", "1.5/2"}));
    framing->addStretch(1);
    QLabel* dataBitsLabel = MakeLabel(this, tr("Data Bits:"), kDataBitsLabel);
    grid->addWidget(dataBitsLabel, row, 1);
    uartSet_ << dataBitsLabel << dataBits_ << parityLabel << parity_ << stopBitsLabel << stopBits_;
    grid->addLayout(framing, row++, 2, 1, 2);

    grid->setColumnMinimumWidth(0, ButtonCaptionIndent(spi_));
    grid->setColumnStretch(3, 1);
    FinishPage(this, page);
}

void CCommunicationDlg::ExchangeGroup(ExchangeContext& ctx, CommunicationData& group)
{
    ExchangeRadioGroup(ctx, spi_, group.protocol);
    ExchangeRadioGroup(ctx, phaseFirstEdge_, group.spiPha);
    ExchangeRadioGroup(ctx, polarityIdleLow_, group.spiPol);
    ExchangeList(ctx, dataBits_, group.uartDataBits);
    ExchangeList(ctx, parity_, group.uartParity);
    ExchangeList(ctx, stopBits_, group.uartStopBits);
    // Every link's numbers are checked, whichever link is chosen.
    ExchangeDecimalDWord(ctx, spiClock_, group.spiClk);
    ValidateField(ctx, u"CommunicationData/spiClk", group.spiClk);
    ExchangeDecimalDWord(ctx, smbusClock_, group.smbusClk);
    ValidateField(ctx, u"CommunicationData/smbusClk", group.smbusClk);
    ExchangeHexByte(ctx, address_, group.smbusAddress);
    LimitHexDigits(ctx, 2);
    ValidateField(ctx, u"CommunicationData/smbusAddress", group.smbusAddress);
    ExchangeDecimalDWord(ctx, baudRate_, group.uartBaudRate);
    ValidateField(ctx, u"CommunicationData/uartBaudRate", group.uartBaudRate);
}

void CCommunicationDlg::RefreshControls()
{
    const int link = spi_->isChecked() ? 0 : smbus_->isChecked() ? 1 : 2;
    EnableControls(spiSet_, link == 0);
    EnableControls(smbusSet_, link == 1);
    EnableControls(uartSet_, link == 2);
}

}  // namespace kr
