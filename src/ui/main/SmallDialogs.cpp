#include "ui/main/SmallDialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/FileRow.h"
#include "ui/common/Dialogs.h"

namespace Ui {

SourceBpmDialog::SourceBpmDialog(double preset, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SourceBpmDialog"));
    setWindowTitle(tr("Source BPM"));
    field = new QLineEdit(QString::fromStdString(App::formatTimeValue(preset)), this);
    field->setObjectName(QStringLiteral("IDC_BPM"));
    field->setAccessibleName(tr("Source BPM"));
    field->selectAll();
    auto* label = new QLabel(tr("What BPM does the source file have?"), this);
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SourceBpmDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    field->setFocus();
}

void SourceBpmDialog::accept() {
    const std::optional<double> v = App::sourceBpmFrom(field->text().toStdString());
    if (!v) {
        Dialogs::current().message(this, QString::fromLatin1(App::kInvalidBpm), kAppTitle);
        return;
    }
    bpm = *v;
    QDialog::accept();
}

PropertiesDialog::PropertiesDialog(const QString& fileName,
                                   const std::vector<App::PropertyLine>& lines, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("PropertiesDialog"));
    setWindowTitle(QStringLiteral("FileProperties for ") + fileName);
    auto* form = new QFormLayout;
    for (const auto& [key, value] : lines) {
        auto* text = new QLabel(QString::fromStdString(value), this);
        text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        text->setAccessibleName(QString::fromStdString(key));
        form->addRow(QString::fromStdString(key) + QLatin1Char(':'), text);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

} // namespace Ui
