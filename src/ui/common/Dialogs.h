#pragma once
// Every message box and file dialog of the windows goes through here, so tests can answer them.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QWidget;

namespace Ui {

// A save dialog's answer: the path and the filter entry it was chosen with.
struct SaveChoice {
    QString path;
    int filter = 0;
};

enum class Answer { Yes, No, Cancel };

class Dialogs {
  public:
    virtual ~Dialogs() = default;

    virtual void message(QWidget* parent, const QString& text, const QString& title);
    // Yes/No; true for Yes.
    virtual bool question(QWidget* parent, const QString& text, const QString& title);
    // Yes/No/Cancel; closing the box counts as Cancel.
    virtual Answer questionWithCancel(QWidget* parent, const QString& text, const QString& title);
    // Several existing files; `filter` receives the entry chosen.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter, int* chosenFilter);
    // One existing file; empty when cancelled. `executablesOnly` accepts programs only.
    virtual QString openFile(QWidget* parent, const QString& title, const QString& folder,
                             const QString& filter, bool executablesOnly = false);
    // A name to save under; `accept` tells whether the dialog may close with a name (it shows
    // its own message when not).
    virtual std::optional<SaveChoice>
    saveFile(QWidget* parent, const QString& title, const QString& initialPath,
             const QString& filter, const std::function<bool(const SaveChoice&)>& accept);
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& folder);
    // Runs one of our own modal dialogs; the result of QDialog::exec.
    virtual int exec(QDialog& dialog);

    static Dialogs& current();
    // Replaces the dialogs for the tests (null: the real ones); returns the ones replaced.
    static Dialogs* install(Dialogs* dialogs);
};

// "All Audiofiles|*.wav;*.aif|Wave Files (*.wav)|*.wav||" as a Qt file dialog filter whose
// patterns match names in any case: "All Audiofiles (*.[wW][aA][vV] *.[aA][iI][fF]);;...".
QString qtFilter(const QString& pairs);

inline const QString kAppTitle = QStringLiteral("Vellamar Stretchwerk");

} // namespace Ui
