// SPDX-License-Identifier: MIT
#pragma once
// A page with one control of every kind the exchange routines serve, used to
// drive the exchange primitives and the tab host through real widgets.

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/ControlId.h"
#include "ui/pages/Page.h"

namespace kr::test {

struct TestFields {
    std::int32_t list = 2;
    std::int32_t check = 1;
    std::int32_t radio = 0;
    std::u16string text = u"abc";
    std::uint16_t word = 10;  // range 1-65535
    std::uint16_t power = 100;  // even 0-500
    std::uint8_t address = 0x0A;  // two hex digits, even 0x00-0xFE
    std::uint32_t rate = 115200;  // range 9600-500000
    std::uint16_t id = 0xC4;  // four hex digits
    bool operator==(const TestFields&) const = default;
};

class TestPage : public CPage {
public:
    enum Id : int {
        kList = 2001,
        kCheck,
        kRadio0,
        kRadio1,
        kRadio2,
        kText,
        kWord,
        kPower,
        kAddress,
        kRate,
        kId,
    };
    static constexpr int kTextLimit = 8;

    explicit TestPage(bool refreshOnActivation = false, QWidget* parent = nullptr) : CPage(900, parent)
    {
        SetRefreshOnActivation(refreshOnActivation);
        auto* form = new QFormLayout(this);
        auto* list = Numbered(new QComboBox(this), kList);
        list->addItems({"0", "1", "2", "3", "4", "5"});
        form->addRow("List:", list);
        form->addRow(Numbered(new QCheckBox("Check", this), kCheck));
        auto* group = new QButtonGroup(this);
        for (int id : {kRadio0, kRadio1, kRadio2}) {
            auto* radio = Numbered(new QRadioButton(QString::number(id), this), id);
            group->addButton(radio);
            form->addRow(radio);
        }
        for (int id : {kText, kWord, kPower, kAddress, kRate, kId})
            form->addRow(QString::number(id), Numbered(new QLineEdit(this), id));
        form->addRow(DefaultButton());
    }

    TestFields data;
    int refreshCount = 0;

    void RefreshControls() override { ++refreshCount; }

    QLineEdit* Edit(int id) const { return Find<QLineEdit>(id); }
    template <class Widget> Widget* Find(int id) const { return qobject_cast<Widget*>(Control(id)); }

protected:
    void DoExchange(ExchangeContext& ctx) override
    {
        ExchangeList(ctx, Find<QComboBox>(kList), data.list);
        ExchangeCheckBox(ctx, Find<QAbstractButton>(kCheck), data.check);
        ExchangeRadioGroup(ctx, Find<QAbstractButton>(kRadio0), data.radio);
        ExchangeText(ctx, Edit(kText), data.text);
        ValidateMaxChars(ctx, data.text, kTextLimit);
        ExchangeDecimalWord(ctx, Edit(kWord), data.word);
        ValidateRange(ctx, data.word, 1, 65535);
        ExchangeDecimalWord(ctx, Edit(kPower), data.power);
        ValidateEvenRangeWord(ctx, data.power, 0, 500);
        ExchangeHexByte(ctx, Edit(kAddress), data.address);
        LimitHexDigits(ctx, 2);
        ValidateEvenRangeHexByte(ctx, data.address, 0x00, 0xFE);
        ExchangeDecimalDWord(ctx, Edit(kRate), data.rate);
        ValidateRange(ctx, data.rate, 9600, 500000);
        ExchangeHexWord(ctx, Edit(kId), data.id);
        LimitHexDigits(ctx, 4);
    }

    void ResetGroup() override { data = TestFields{}; }

private:
    template <class W> static W* Numbered(W* widget, int id)
    {
        SetControlId(widget, id);
        return widget;
    }
};

}  // namespace kr::test
