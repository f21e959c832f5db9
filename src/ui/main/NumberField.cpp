#include "ui/main/NumberField.h"

#include <QLineEdit>

#include "app/FileRow.h"

namespace Ui {

NumberField::NumberField(int limit, const QString& name, QWidget* parent) : QSpinBox(parent) {
    setRange(-limit, limit);
    setAccessibleName(name);
    setKeyboardTracking(true);
    connect(lineEdit(), &QLineEdit::textEdited, this, &NumberField::sanitize);
}

QValidator::State NumberField::validate(QString&, int&) const {
    return QValidator::Acceptable;
}

int NumberField::valueFromText(const QString& text) const {
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? v : 0;
}

void NumberField::sanitize(const QString& typed) {
    const QString kept =
        QString::fromStdString(App::sanitizeNumberField(typed.toStdString(), minimum(), maximum()));
    if (kept != typed) {
        lineEdit()->setText(kept);
        lineEdit()->end(false);
    }
    if (kept != QLatin1String("-") && kept != QLatin1String("+")) setValue(valueFromText(kept));
}

} // namespace Ui
