// SPDX-License-Identifier: MIT
#pragma once
// A read-only view of the HID report descriptor the current form generates:
// the decoded items and report sizes, and a drawing of every report as a host
// lays it out beside the firmware's report structures, each host's verdict on
// its mouse, touch screen and pen, with any rule a host would refuse the
// descriptor for stated plainly at the top.

#include <QDialog>

#include "generator/ReportDescriptor.h"

class QLabel;
class QPlainTextEdit;

namespace kr {

// Numbers of the view's controls, so tests can find them.
namespace descriptor_view_id {
inline constexpr int kFailures = 1301;
inline constexpr int kListing = 1302;
inline constexpr int kLayout = 1303;  // the drawing of the reports
inline constexpr int kPages = 1304;  // the tabs holding the listing, the drawing and the hosts' verdicts
inline constexpr int kHosts = 1305;  // what each host makes of the mouse, touch screen and pen
}  // namespace descriptor_view_id

class CReportDescriptorDlg : public QDialog {
    Q_OBJECT
public:
    CReportDescriptorDlg(const ReportDescriptorView& view, QWidget* parent = nullptr);
};

}  // namespace kr
