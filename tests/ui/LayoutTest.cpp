// The main window and every dialog as the user sees them: every caption fits its
// widget (nothing clipped) and every widget lies inside its parent. With
// CORVANTHEL_SCREENSHOTS=<folder> set, each window is also saved there as a PNG.
#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTableWidget>
#include <QTest>

#include "catalogue/ModelStore.h"
#include "generation/UpgradeSql.h"
#include "model/Member.h"
#include "ui/MainForm.h"
#include "ui/UpgradeSqlForm.h"
#include "ui/support/UiTestSupport.h"

using namespace Ui;

namespace {

void SaveScreenshot(QWidget& widget, const QString& name) {
  const QString folder = qEnvironmentVariable("CORVANTHEL_SCREENSHOTS");
  if (folder.isEmpty()) return;
  QDir().mkpath(folder);
  QVERIFY(widget.grab().save(QDir(folder).filePath(name + ".png")));
}

// Labels, check boxes and buttons show their whole text, and no widget sticks out of its parent.
void CheckNothingClipped(QWidget& window) {
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window)) continue;
    const QString what = widget->metaObject()->className() + QString(" ") + widget->objectName();
    if (qobject_cast<QLabel*>(widget) != nullptr && qobject_cast<QLabel*>(widget)->pixmap().isNull()) {
      QVERIFY2(widget->sizeHint().width() <= widget->width(), qPrintable(what + " too narrow"));
      QVERIFY2(widget->sizeHint().height() <= widget->height(), qPrintable(what + " too low"));
    }
    if (qobject_cast<QAbstractButton*>(widget) != nullptr) {
      QVERIFY2(widget->minimumSizeHint().width() <= widget->width(), qPrintable(what + " too narrow"));
      QVERIFY2(widget->minimumSizeHint().height() <= widget->height(), qPrintable(what + " too low"));
    }
    if (widget->parentWidget() != nullptr && widget->isWindow() == false)
      QVERIFY2(widget->parentWidget()->rect().contains(widget->geometry()), qPrintable(what + " outside its parent"));
  }
}

}  // namespace

class TLayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void mainWindow();
  void classDialogs();
  void memberDialogs();
  void upgradeWindow();

 private:
  std::unique_ptr<TUiWorld> FWorld;
  std::unique_ptr<TFormMain> FWindow;
};

void TLayoutTest::init() {
  FWorld = std::make_unique<TUiWorld>();
  const int shop = Seed::Project("网上书店");
  const int book = Seed::Class(shop, "Book", "图书");
  const int category = Seed::Class(shop, "Category", "图书类别");
  Seed::Class(shop, "Order", "订单");
  Seed::Member(shop, book, "bookId", "整型", [](TMember& m) {
    m.SetMemberIsPri(1);
    m.SetMemberIsMust(1);
    m.SetMemberIsInteger(1);
    m.SetMemberComment("编号");
  });
  Seed::Member(shop, book, "bookName", "字符串", [](TMember& m) {
    m.SetMemberLength(100);
    m.SetMemberIsMust(1);
    m.SetQueryFlag(1);
    m.SetMemberIsDisplay(1);
    m.SetMemberComment("书名");
  });
  Seed::Member(shop, book, "category", "Category", [](TMember& m) {
    m.SetMemberIsMust(1);
    m.SetMemberComment("所属类别");
  });
  Seed::Member(shop, book, "price", "浮点型", [](TMember& m) {
    m.SetMemberIsMust(1);
    m.SetMemberIsFloat(1);
    m.SetMemberComment("价格");
  });
  Seed::Member(shop, book, "publishDate", "日期型", [](TMember& m) {
    m.SetMemberIsMust(1);
    m.SetMemberComment("出版日期");
  });
  Seed::Member(shop, book, "cover", "图片型", [](TMember& m) { m.SetMemberComment("封面"); });
  Seed::Member(shop, category, "categoryId", "整型", [](TMember& m) { m.SetMemberIsPri(1); });
  Seed::Project("Blog");
  FWindow = std::make_unique<TFormMain>();
  FWindow->show();
  QVERIFY(QTest::qWaitForWindowExposed(FWindow.get()));
}

void TLayoutTest::cleanup() {
  FWindow.reset();
  FWorld.reset();
}

void TLayoutTest::mainWindow() {
  CheckNothingClipped(*FWindow);
  auto* grid = Find<QTableWidget>(FWindow.get(), "LV_Member");
  // Column captions fit their columns (the id column is hidden on purpose).
  for (int column = 1; column < grid->columnCount(); ++column) {
    const QString caption = grid->horizontalHeaderItem(column)->text();
    QVERIFY2(grid->fontMetrics().horizontalAdvance(caption) + 8 <= grid->columnWidth(column), qPrintable(caption));
  }
  ClickGridRow(*FWindow, 1);
  SaveScreenshot(*FWindow, "main-window");

  // The code menu, with its checkable item shown checked.
  auto* codeMenu = Find<QMenu>(FWindow.get(), "P1");
  Find<QAction>(FWindow.get(), "KeepEdits1")->setChecked(true);
  codeMenu->popup(FWindow->mapToGlobal(QPoint(80, 20)));
  QVERIFY(QTest::qWaitForWindowExposed(codeMenu));
  for (QAction* action : codeMenu->actions())
    QVERIFY2(codeMenu->actionGeometry(action).width() >=
                 codeMenu->fontMetrics().horizontalAdvance(QString(action->text()).remove('&')),
             qPrintable(action->text()));
  SaveScreenshot(*codeMenu, "code-menu");
  codeMenu->hide();
}

void TLayoutTest::classDialogs() {
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) {
    CheckNothingClipped(dialog);
    SaveScreenshot(dialog, "add-class");
  });
  Trigger(*FWindow, "A2");
  dialogs.Expect([](QDialog& dialog) {
    CheckNothingClipped(dialog);
    SaveScreenshot(dialog, "update-class");
  });
  Trigger(*FWindow, "N2");
  QCOMPARE(dialogs.Pending(), 0);
}

void TLayoutTest::memberDialogs() {
  TDialogScript dialogs;
  dialogs.Expect([](QDialog& dialog) {
    CheckNothingClipped(dialog);
    SaveScreenshot(dialog, "add-member");
  });
  Trigger(*FWindow, "M1");
  dialogs.Expect([](QDialog& dialog) {
    CheckNothingClipped(dialog);
    SaveScreenshot(dialog, "update-member");
  });
  ClickGridRow(*FWindow, 1);
  Trigger(*FWindow, "N3");
  QCOMPARE(dialogs.Pending(), 0);
}

void TLayoutTest::upgradeWindow() {
  // The script from a version in which Book had no cover yet and a shorter name; without Order, whose name
  // SQL Server keeps for itself.
  const int shop = Find<QComboBox>(FWindow.get(), "CB_Project")->currentData().toInt();
  TProjectModel now = TModelStore().LoadProject(shop);
  now.classes.pop_back();
  TProjectModel before = now;
  before.classes[0].members.pop_back();
  before.classes[0].members[1].SetMemberLength(50);
  TUpgradeOptions options;
  options.fromLabel = "版本 000";
  TDatabaseUpgradeRequest request;
  request.target.projectName = now.projectName;
  TUpgradeSqlForm form(FWindow.get(), request, BuildUpgradeScript(before, now, options).text);
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  CheckNothingClipped(form);
  SaveScreenshot(form, "upgrade-window");
}

QTEST_MAIN(TLayoutTest)
#include "LayoutTest.moc"
