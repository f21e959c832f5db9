#pragma once
// The semitone and cent fields: a spin box that keeps what the list's rules keep of a typed
// text (digits after an optional sign, "0" when empty, the limit when beyond it).
#include <QSpinBox>

namespace Ui {

class NumberField : public QSpinBox {
    Q_OBJECT
  public:
    NumberField(int limit, const QString& name, QWidget* parent = nullptr);

  protected:
    QValidator::State validate(QString& text, int& pos) const override;
    int valueFromText(const QString& text) const override;

  private:
    void sanitize(const QString& typed);
};

} // namespace Ui
