#pragma once
// A read-only view of the HID report descriptor the current form generates:
// the decoded items and report sizes, with any rule a host would refuse the
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
}  // namespace descriptor_view_id

class CReportDescriptorDlg : public QDialog {
    Q_OBJECT
public:
    CReportDescriptorDlg(const ReportDescriptorView& view, QWidget* parent = nullptr);
};

}  // namespace kr
