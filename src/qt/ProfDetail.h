// The profile details dialog: asks for the description of a new named profile and shows the file
// the profile will be saved to. It changes nothing itself; the profiles dialog reads what was
// accepted with GetDescription and GetFileName after OK.
#pragma once

#include <cstddef>

#include <QByteArray>
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

// The accepted description, terminator included: at most 254 bytes of text.
inline constexpr std::size_t PROFDETAIL_DESC_SIZE = 256;
inline constexpr std::size_t PROFDETAIL_DESC_MAX = 254;
// The path given by SetFileName, terminator included: at most 258 bytes of text.
inline constexpr std::size_t PROFDETAIL_PATH_SIZE = 260;
inline constexpr std::size_t PROFDETAIL_PATH_MAX = 258;

// The longest start of text whose local 8-bit form fits nMaxBytes, in that form. Whole code points
// only: a character whose bytes would not all fit is left out with everything after it, and a
// surrogate pair is never split.
QByteArray LocalTextPrefix(const QString& text, std::size_t nMaxBytes);

class TfmProfDetail : public QDialog {
  Q_OBJECT

 public:
  // Builds the controls: an empty description, no file name.
  explicit TfmProfDetail(QWidget* owner = nullptr);

  // Keeps the first 258 bytes of szFileName and shows them. A null or empty name is a
  // programming error (assertion).
  void SetFileName(const char* szFileName);
  // The description accepted by OK ("" until then) and the name given by SetFileName.
  const char* GetDescription() const { return m_szDescription; }
  const char* GetFileName() const { return m_szFileName; }

 public Q_SLOTS:
  // An empty description is refused with a message and the dialog stays open; otherwise its
  // first 254 bytes (in the local 8-bit form, whole characters) are kept and the dialog closes
  // with OK.
  void btnOKClick();

 private:
  char m_szDescription[PROFDETAIL_DESC_SIZE];
  char m_szFileName[PROFDETAIL_PATH_SIZE];

  QLabel* Label1;
  QLineEdit* edtDesc;
  QLabel* Label2;
  QLineEdit* edtFile;
  QPushButton* btnOK;
  QPushButton* btnCancel;
};
