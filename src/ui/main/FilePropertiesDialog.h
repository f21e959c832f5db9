#pragma once
// The properties of a row's file, line by line (key I).
#include <QDialog>
#include <vector>

#include "app/FileProperties.h"

namespace Ui {

class PropertiesDialog : public QDialog {
    Q_OBJECT
  public:
    PropertiesDialog(const QString& fileName, const std::vector<App::PropertyLine>& lines,
                     QWidget* parent);
};

} // namespace Ui
