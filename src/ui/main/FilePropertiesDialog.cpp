#include "ui/main/FilePropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace Ui {

PropertiesDialog::PropertiesDialog(const QString& fileName,
                                   const std::vector<App::PropertyLine>& lines, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PropertiesDialog"));
    setWindowTitle(tr("FileProperties for %1").arg(fileName));
    auto* form = new QFormLayout;
    for (const auto& [key, value] : lines) {
        // The value is the label's own text, announced with its caption, whose buddy it is.
        auto* text = new QLabel(QString::fromStdString(value), this);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        form->addRow(QString::fromStdString(key) + QLatin1Char(':'), text);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

} // namespace Ui
