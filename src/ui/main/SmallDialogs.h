#pragma once
// The two small dialogs of a row: the source BPM and the file properties.
#include <QDialog>
#include <optional>

#include "app/FileProperties.h"

class QLineEdit;

namespace Ui {

// Asks what BPM the source file has; refuses anything but 1 < value <= 10000.
class SourceBpmDialog : public QDialog {
    Q_OBJECT
  public:
    SourceBpmDialog(double preset, QWidget* parent);
    double value() const { return bpm; }
    void accept() override;

  private:
    QLineEdit* field = nullptr;
    double bpm = 0.0;
};

class PropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    PropertiesDialog(const QString& fileName, const std::vector<App::PropertyLine>& lines,
                     QWidget* parent);
};

} // namespace Ui
