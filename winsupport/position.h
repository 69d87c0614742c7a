// TPosition: remembers a form's size and position in an INI file, section
// "Values", integer keys "Width", "Height", "Left" and "Top". The form calls
// Loaded() once it is built (the size and position come back) and Save()
// when it closes.
//
// The values are the form's own: width() and height(), and pos(), which for
// a window is the position of its outer frame. A value that the file lacks
// keeps the form's current size, and a position that the file lacks, or that
// lies entirely outside every screen, centres the form on the primary screen.
#ifndef QUILLPRINT_WINSUPPORT_POSITION_H_
#define QUILLPRINT_WINSUPPORT_POSITION_H_

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace qp {

// Where the INI file lives: the program's folder (plat::ProgramFolder), or
// the folder the desktop keeps every program's settings in (the user's
// configuration folder for this application).
enum TIniFileDirectory { ProgramDir, WindowsDir };

class TPosition : public QObject {
  Q_OBJECT

 public:
  // The file name starts as the owner's name (its objectName, else its class
  // name without a leading "T") followed by ".ini".
  explicit TPosition(QWidget* owner);

  TIniFileDirectory IniFileDirectory() const { return directory_; }
  void SetIniFileDirectory(TIniFileDirectory directory) { directory_ = directory; }

  QString IniFileName() const { return file_name_; }
  // Accepts a name of at most 12 characters whose extension is exactly
  // ".ini" and that names no folder; stores it in lower case. Returns false
  // and keeps the old name otherwise.
  bool SetIniFileName(const QString& name);

  bool SaveDimension() const { return save_dimension_; }
  void SetSaveDimension(bool save) { save_dimension_ = save; }
  bool SavePosition() const { return save_position_; }
  void SetSavePosition(bool save) { save_position_ = save; }

  // The full path of the INI file.
  QString IniPath() const;

  // Restores the owner's size (SaveDimension) and position (SavePosition).
  void Loaded();

  // Writes the owner's size and position, all in one replacement of the
  // file. Returns 0 or the file layer's error code (the file is unchanged
  // then).
  int Save();

 private:
  QPointer<QWidget> owner_;
  TIniFileDirectory directory_ = ProgramDir;
  QString file_name_;
  bool save_dimension_ = true;
  bool save_position_ = true;
};

}  // namespace qp

#endif  // QUILLPRINT_WINSUPPORT_POSITION_H_
