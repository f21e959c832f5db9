#pragma once
// Asks for a tempo in BPM: the source file's (a row's time unit "bpm") and the wave editor's.
// Refuses anything but 1 < value <= 10000, "," read as ".". Given a way to detect the tempo, it
// runs it in the background as the dialog shows and offers what it found.
#include <QDialog>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

class QLabel;
class QLineEdit;
class QPushButton;

namespace Audio {
class CAudioFileCache;
}

namespace Ui {

// Finds a tempo on a worker thread, stopping early once `abort` is set; 0 when there is no
// steady beat.
using TempoDetection = std::function<double(const std::atomic<bool>& abort)>;
// The detection over a source's first two minutes.
TempoDetection tempoDetectionOf(Audio::CAudioFileCache& source);

class TempoDialog : public QDialog {
    Q_OBJECT
  public:
    // `question` is the line above the field; the field starts with `preset` as "%.5f".
    TempoDialog(const QString& question, double preset, QWidget* parent,
                TempoDetection detection = {});
    ~TempoDialog() override;
    double value() const { return bpm; }
    // The tempo found, once the detection has ended with one.
    std::optional<double> detected() const { return found; }
    void accept() override;

  signals:
    // The background detection ended (with or without a tempo).
    void detectionEnded();

  private:
    void showDetected(double detectedBpm);
    void useDetected();

    QLineEdit* field = nullptr;
    QLabel* detectedLine = nullptr;
    QPushButton* take = nullptr;
    double bpm = 0.0;
    std::optional<double> found;
    std::atomic<bool> abort{false};
    std::thread worker;
};

// Runs the dialog through the dialogs seam; nothing when cancelled.
std::optional<double> askTempo(QWidget* parent, const QString& question, double preset,
                               TempoDetection detection = {});

} // namespace Ui
