#include "ui/main/RowWidget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "app/RowWaveform.h"
#include "ui/common/ThemeColours.h"
#include "ui/main/NumberField.h"
#include "ui/main/RowWaveformView.h"

namespace Ui {

namespace {

// A row as assistive technology sees it: an item of the list that can be selected, busy while
// it is processed.
class RowAccessible : public QAccessibleWidget {
  public:
    explicit RowAccessible(RowWidget* w) : QAccessibleWidget(w, QAccessible::ListItem) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        const App::CFileRow& row = static_cast<RowWidget*>(widget())->row();
        s.selectable = true;
        s.selected = row.selected;
        s.busy = row.busy;
        return s;
    }
};

QAccessibleInterface* rowAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("Ui::RowWidget") && object && object->isWidgetType())
        return new RowAccessible(static_cast<RowWidget*>(object));
    return nullptr;
}

// A short unit beside a field ("st" for semitones): it names the field for the eye too.
QLabel* unitLabel(const QString& unit, const QString& tip, QWidget* field, QWidget* parent) {
    auto* label = new QLabel(unit, parent);
    label->setForegroundRole(QPalette::Text);
    label->setBuddy(field);
    label->setToolTip(tip);
    return label;
}

} // namespace

RowWidget::RowWidget(App::CFileRow& row, QWidget* parent) : QFrame(parent), model(row) {
    static const bool factoryInstalled = (QAccessible::installFactory(rowAccessible), true);
    (void)factoryInstalled;
    setFixedHeight(58);
    setFocusPolicy(Qt::ClickFocus);
    setAutoFillBackground(false);
    build();
    connectControls();
    refresh();
}

void RowWidget::build() {
    name = new QLabel(this);
    name->setObjectName(QStringLiteral("ctl105"));
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    info = new QLabel(this);
    info->setObjectName(QStringLiteral("ctl110"));
    // The row is filled with the list's background: its text takes the list's text colour.
    name->setForegroundRole(QPalette::Text);
    info->setForegroundRole(QPalette::Text);
    // A long name gives way to the waveform rather than widen the row's controls.
    name->setMinimumWidth(40);
    info->setMinimumWidth(40);
    semitones = new NumberField(App::kSemitoneLimit, tr("Semitones"), this);
    semitones->setObjectName(QStringLiteral("ctl112"));
    semitones->setToolTip(tr("Pitch shift in semitones (-48 to 48)"));
    cents = new NumberField(App::kCentLimit, tr("Cents"), this);
    cents->setObjectName(QStringLiteral("ctl113"));
    cents->setToolTip(tr("Pitch shift in cents (-99 to 99)"));
    time = new QLineEdit(this);
    time->setObjectName(QStringLiteral("ctl116"));
    time->setAccessibleName(tr("Time"));
    time->setFixedWidth(76);
    time->setToolTip(tr("New duration in the unit beside it"));
    unit = new QComboBox(this);
    unit->setObjectName(QStringLiteral("ctl119"));
    unit->setAccessibleName(tr("Time unit"));
    unit->addItems({tr("secs"), QStringLiteral("%"), tr("bpm")});
    unit->setFixedWidth(58);
    doubleLength = new QCheckBox(tr("2×"), this);
    doubleLength->setObjectName(QStringLiteral("ctl117"));
    doubleLength->setToolTip(tr("Double length: twice as long, pitch unchanged"));
    doubleLength->setAccessibleName(tr("Double length"));
    formants = new QCheckBox(tr("Formants"), this);
    formants->setObjectName(QStringLiteral("ctl118"));
    formants->setToolTip(tr("Preserve formants"));
    markPoints = new QCheckBox(tr("Curves"), this);
    markPoints->setObjectName(QStringLiteral("ctl120"));
    markPoints->setToolTip(tr("Use the mark point curves of the wave editor"));
    markPoints->setAccessibleName(tr("Use mark points"));
    editor = new QPushButton(tr("W"), this);
    editor->setFixedSize(26, 20);
    editor->setObjectName(QStringLiteral("ctl444"));
    editor->setAccessibleName(tr("Wave editor"));
    editor->setToolTip(tr("Open the wave editor to draw the time, pitch and formant curves"));
    wave = new RowWaveformView(model, this);
    layOut();
    setAccessibleName(QString::fromStdString(model.nameLine()));
}

// Name, information and controls on the left; the waveform takes the free width right of them
// over both lines; the editor button at the far right.
void RowWidget::layOut() {
    auto* top = new QHBoxLayout;
    top->setSpacing(8);
    top->addWidget(name);
    top->addWidget(info, 1);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(3);
    controls->addWidget(semitones);
    controls->addWidget(unitLabel(tr("st"), tr("Semitones"), semitones, this));
    controls->addSpacing(4);
    controls->addWidget(cents);
    controls->addWidget(unitLabel(tr("ct"), tr("Cents"), cents, this));
    controls->addSpacing(4);
    controls->addWidget(time);
    controls->addWidget(unit);
    controls->addWidget(doubleLength);
    controls->addWidget(formants);
    controls->addWidget(markPoints);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(2);
    layout->addLayout(top, 0, 0);
    layout->addLayout(controls, 1, 0);
    layout->addWidget(wave, 0, 1, 2, 1);
    layout->addWidget(editor, 0, 2, Qt::AlignTop);
    layout->setColumnStretch(1, 1);
}

void RowWidget::showStates() {
    // The colours of the states, in words and as accessible states.
    QString description = QString::fromStdString(model.infoLine());
    if (model.selected) description += tr(", selected");
    if (model.busy) description += tr(", being processed");
    if (model.created) description += tr(", made by Stretchwerk");
    if (description != accessibleDescription()) setAccessibleDescription(description);
    const bool selected = model.selected, busy = model.busy;
    if (selected == shownSelected && busy == shownBusy) return;
    QAccessible::State changed;
    changed.selected = selected != shownSelected;
    changed.busy = busy != shownBusy;
    shownSelected = selected;
    shownBusy = busy;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void RowWidget::connectControls() {
    connect(semitones, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int v) { model.setSemitoneText(std::to_string(v)); });
    connect(cents, qOverload<int>(&QSpinBox::valueChanged), this,
            [this](int v) { model.setCentText(std::to_string(v)); });
    connect(time, &QLineEdit::textEdited, this, [this](const QString& text) {
        model.setTimeText(text.toStdString());
        wave->refresh();
    });
    connect(unit, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        emit timeUnitChosen(this, index,
                            QGuiApplication::keyboardModifiers() & Qt::ControlModifier);
    });
    connect(doubleLength, &QCheckBox::toggled, this, [this](bool on) {
        model.setDoubleLength(on);
        refresh();
    });
    connect(markPoints, &QCheckBox::toggled, this, [this](bool on) {
        model.setUseMarkPoints(on);
        refresh();
    });
    connect(formants, &QCheckBox::toggled, this,
            [this](bool on) { model.setPreserveFormants(on); });
    connect(editor, &QPushButton::clicked, this, [this] { emit editorRequested(this); });
}

void RowWidget::showEnabled() {
    const bool idle = !model.busy;
    const bool parameters = idle && model.parametersEnabled();
    for (QWidget* w : std::initializer_list<QWidget*>{semitones, cents, time, unit})
        w->setEnabled(parameters);
    formants->setEnabled(idle && model.preserveFormantsEnabled());
    doubleLength->setEnabled(idle);
    markPoints->setEnabled(idle);
    editor->setEnabled(model.overviewBuilding == 0);
}

void RowWidget::refresh() {
    name->setText(QString::fromStdString(model.nameLine()));
    info->setText(QString::fromStdString(model.infoLine()));
    const QSignalBlocker b1(semitones), b2(cents), b3(doubleLength), b4(markPoints), b5(formants);
    semitones->setValue(model.getSemitones());
    cents->setValue(model.getCents());
    if (!time->hasFocus() || time->text().isEmpty())
        time->setText(QString::fromStdString(model.getTimeText()));
    unit->setCurrentIndex(model.getTimeUnit());
    doubleLength->setChecked(model.getDoubleLength());
    markPoints->setChecked(model.getUseMarkPoints());
    formants->setChecked(model.getPreserveFormants());
    showEnabled();
    showStates();
    // An overview the wave editor built gives the waveform too.
    if (!wave->hasOutline() && model.getOverview() && model.overviewBuilding == 0)
        wave->setOutline(App::waveformOutline(*model.getOverview(), App::kOutlineColumns));
    wave->refresh();
    update();
}

void RowWidget::setOutline(std::vector<float> columns) {
    wave->setOutline(std::move(columns));
}

void RowWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QColor fill = Theme::rowFill(palette(), model.selected, model.busy, model.created);
    wave->setBackground(fill);
    painter.fillRect(rect(), fill);
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(rect().bottomLeft(), rect().bottomRight());
    if (model.selected) {
        painter.fillRect(QRect(0, 0, 4, height()), palette().color(QPalette::Highlight));
    }
    QFrame::paintEvent(event);
}

void RowWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit clicked(this, event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    QFrame::mousePressEvent(event);
}

void RowWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit doubleClicked(this);
}

} // namespace Ui
