// TAboutBox: the About box of Help > About. A fixed dialog with the program's
// picture, name and version, the maker's name in raised letters, a button
// that opens the maker's web site and the OK button.
#ifndef QUILLPRINT_WINSUPPORT_ABOUTBOX_H_
#define QUILLPRINT_WINSUPPORT_ABOUTBOX_H_

#include <QDialog>

namespace qp {

// The maker named in the box and the site "&Browse Website" opens.
inline constexpr char kMakerName[] = "Quillprint Software";
inline constexpr char kMakerWebsite[] = "https://www.quillprint.net/";

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  // Child widgets carry object names for the program's own use and tests:
  // "Panel1", "ProgramIcon", "ProductName", "Version", "Comments",
  // "MakerLabel", "BrowseButton", "OKButton".
  explicit TAboutBox(QWidget* parent = nullptr);

  // "&Browse Website": opens the maker's site in the user's browser; when no
  // browser can be started, says "Web Browser Program Not Found!".
  void BrowseWebsiteClick();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool centred_ = false;
};

}  // namespace qp

#endif  // QUILLPRINT_WINSUPPORT_ABOUTBOX_H_
