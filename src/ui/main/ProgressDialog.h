#pragma once
// The progress window of one file being processed or copied: a bar, the remaining time and
// Cancel, which asks before it stops the job.
#include <QDialog>
#include <atomic>

class QLabel;
class QProgressBar;

namespace Ui {

class ProgressDialog : public QDialog {
    Q_OBJECT
  public:
    explicit ProgressDialog(QWidget* parent);

    void setTitle(const QString& title);
    // Position 0..1000 and the remaining seconds; user-interface thread.
    void showProgress(int position, qint64 seconds);
    // False once the user confirmed the abort; any thread.
    bool shouldContinue() const { return continuing; }
    // Asks "Are you sure you want to abort processing?"; Yes stops.
    void cancel();

  protected:
    void reject() override { cancel(); }

  private:
    QLabel* title = nullptr;
    QLabel* remaining = nullptr;
    QProgressBar* bar = nullptr;
    std::atomic<bool> continuing{true};
};

} // namespace Ui
