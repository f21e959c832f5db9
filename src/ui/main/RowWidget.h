#pragma once
// One row of the batch list: the file's name and information lines and its parameters.
#include <QFrame>
#include <vector>

#include "app/FileRow.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Ui {

class NumberField;
class RowWaveformView;

class RowWidget : public QFrame {
    Q_OBJECT
  public:
    RowWidget(App::CFileRow& row, QWidget* parent = nullptr);

    App::CFileRow& row() const { return model; }
    // Shows the model's state: lines, values, check boxes, enabled controls and colours.
    void refresh();
    // The waveform beside the controls, from the row's overview.
    void setOutline(std::vector<float> columns);
    RowWaveformView* waveform() const { return wave; }

  signals:
    // A click on the row (not on one of its controls); shift held or not.
    void clicked(RowWidget* row, bool shift);
    void doubleClicked(RowWidget* row);
    void editorRequested(RowWidget* row);
    // The unit list needs the source BPM; the list asks for it.
    void timeUnitChosen(RowWidget* row, int unit, bool ctrlHeld);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void build();
    void layOut();
    void connectControls();
    void showEnabled();
    void showStates();

    App::CFileRow& model;
    QLabel* name = nullptr;
    QLabel* info = nullptr;
    NumberField* semitones = nullptr;
    NumberField* cents = nullptr;
    QLineEdit* time = nullptr;
    QComboBox* unit = nullptr;
    QCheckBox* doubleLength = nullptr;
    QCheckBox* formants = nullptr;
    QCheckBox* markPoints = nullptr;
    QPushButton* editor = nullptr;
    RowWaveformView* wave = nullptr;
    bool shownSelected = false;
    bool shownBusy = false;
};

} // namespace Ui
