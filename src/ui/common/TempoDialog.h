#pragma once
// Asks for a tempo in BPM: the source file's (a row's time unit "bpm") and the wave editor's.
// Refuses anything but 1 < value <= 10000, "," read as ".".
#include <QDialog>
#include <optional>

class QLineEdit;

namespace Ui {

class TempoDialog : public QDialog {
    Q_OBJECT
  public:
    // `question` is the line above the field; the field starts with `preset` as "%.5f".
    TempoDialog(const QString& question, double preset, QWidget* parent);
    double value() const { return bpm; }
    void accept() override;

  private:
    QLineEdit* field = nullptr;
    double bpm = 0.0;
};

// Runs the dialog through the dialogs seam; nothing when cancelled.
std::optional<double> askTempo(QWidget* parent, const QString& question, double preset);

} // namespace Ui
