#include "ui/AccessibleNames.h"

#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>

namespace {

// A drop-down list with a name of its own: the name is what its label says, the
// value is the chosen entry, and its one action opens the list.
class TNamedComboBox : public QAccessibleWidget {
 public:
  explicit TNamedComboBox(QComboBox* comboBox) : QAccessibleWidget(comboBox, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Name) return ComboBox()->accessibleName();
    if (kind == QAccessible::Value) return ComboBox()->currentText();
    return QAccessibleWidget::text(kind);
  }

  QStringList actionNames() const override { return {showMenuAction()}; }

  void doAction(const QString& actionName) override {
    if (actionName == showMenuAction()) ComboBox()->showPopup();
  }

 private:
  QComboBox* ComboBox() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* NamedComboBoxFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("QComboBox")) return nullptr;
  auto* comboBox = qobject_cast<QComboBox*>(object);
  if (comboBox == nullptr || comboBox->accessibleName().isEmpty()) return nullptr;
  return new TNamedComboBox(comboBox);
}

}  // namespace

void AccessibleNames::LinkLabel(QLabel* label, QWidget* control) {
  label->setBuddy(control);
  control->setAccessibleName(label->text().trimmed());
}

void AccessibleNames::Install() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(&NamedComboBoxFactory);
}
