// The preview window: what it shows per class, refresh, failing classes, find and copy.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextLayout>
#include <QtTest>

#include "catalogue/DbHelper.h"
#include "catalogue/ModelStore.h"
#include "generation/AutoCode.h"
#include "generation/CodePreview.h"
#include "generation/PageOperate.h"
#include "support/UiTestSupport.h"
#include "ui/CodeHighlighter.h"
#include "ui/CodeView.h"
#include "ui/MainForm.h"
#include "ui/PreviewForm.h"

namespace {

void MakeKey(TMember& member) {
  member.SetMemberIsPri(1);
  member.SetMemberIsDisplay(1);
  member.SetMemberIsInteger(member.GetMemberType() == MemberTypes::kInteger ? 1 : 0);
  member.SetMemberLength(member.GetMemberType() == MemberTypes::kString ? 20 : 0);
}

// The text a tab must show for the class: the run's text with plain line breaks.
QString Expected(int projectId, const std::string& className, TCodeLayer layer) {
  const TProjectModel model = TModelStore().LoadProject(projectId);
  const TCodePreview preview(model);
  const TClassPreview result = preview.Preview(*preview.FindClass(className), layer);
  return QString::fromStdString(result.text).replace("\r\n", "\n");
}

QStringList Items(QListWidget* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->item(i)->text();
  return items;
}

}  // namespace

class PreviewFormTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    FWorld = std::make_unique<TUiWorld>();
    FProject = Seed::Project("Shop");
    FBook = Seed::Class(FProject, "Book", "图书");
    Seed::Member(FProject, FBook, "id", MemberTypes::kInteger, MakeKey);
    Seed::Member(FProject, FBook, "title", MemberTypes::kString, [](TMember& m) { m.SetMemberLength(50); });
    FTag = Seed::Class(FProject, "Tag", "标签");
    Seed::Member(FProject, FTag, "code", MemberTypes::kString, MakeKey);
  }
  void cleanup() { FWorld.reset(); }

  void showsEveryLayerOfTheSelectedClass() {
    TPreviewForm form(nullptr, FProject);
    auto* list = Find<QListWidget>(&form, "LB_Class");
    QCOMPARE(Items(list), QStringList({"Book", "Tag"}));
    QCOMPARE(list->currentRow(), 0);
    const TCodeLayer layers[] = {TCodeLayer::Entity, TCodeLayer::BLL, TCodeLayer::DAL, TCodeLayer::Sql};
    for (int tab = 0; tab < 4; ++tab) {
      QCOMPARE(form.View(tab)->toPlainText(), Expected(FProject, "Book", layers[tab]));
      QVERIFY(form.View(tab)->isReadOnly());
    }
    QVERIFY(form.View(0)->toPlainText().contains("public class Book"));
    QVERIFY(form.View(3)->toPlainText().contains("CREATE TABLE [dbo].[Book]"));
    QCOMPARE(form.View(3)->Highlighter()->Language(), TCodeHighlighter::TLanguage::Sql);
    QCOMPARE(form.View(0)->Highlighter()->Language(), TCodeHighlighter::TLanguage::CSharp);

    // With CORVANTHEL_SCREENSHOTS=<folder> the window is saved there for a look by eye.
    const QString folder = qEnvironmentVariable("CORVANTHEL_SCREENSHOTS");
    if (!folder.isEmpty()) {
      form.show();
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      QDir().mkpath(folder);
      QVERIFY(form.grab().save(QDir(folder).filePath("preview-window.png")));
    }

    list->setCurrentRow(1);
    for (int tab = 0; tab < 4; ++tab) QCOMPARE(form.View(tab)->toPlainText(), Expected(FProject, "Tag", layers[tab]));
    QVERIFY(!form.View(2)->toPlainText().contains("Book"));
  }

  void refreshReadsTheCatalogueAgainAndKeepsTheClass() {
    TPreviewForm form(nullptr, FProject);
    auto* list = Find<QListWidget>(&form, "LB_Class");
    list->setCurrentRow(1);
    Seed::Member(FProject, FTag, "colour", MemberTypes::kString, [](TMember& m) { m.SetMemberLength(10); });
    Seed::Class(FProject, "Author", "作者");
    QVERIFY(!form.View(0)->toPlainText().contains("colour"));  // nothing until asked

    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(&form, Qt::Key_F5);
    QCOMPARE(Items(list), QStringList({"Book", "Tag", "Author"}));
    QCOMPARE(list->currentItem()->text(), QString("Tag"));
    QVERIFY(form.View(0)->toPlainText().contains("_colour"));

    // A class that is gone leaves the first one selected.
    TDbHelper().ExecSql("delete from t_member where classId=" + std::to_string(FTag));
    TDbHelper().ExecSql("delete from t_class where classId=" + std::to_string(FTag));
    QTest::mouseClick(Find<QPushButton>(&form, "BT_Refresh"), Qt::LeftButton);
    QCOMPARE(Items(list), QStringList({"Book", "Author"}));
    QCOMPARE(list->currentRow(), 0);
    QVERIFY(form.View(1)->toPlainText().contains("class bllBook"));
  }

  // With "生成管理页面" the window also shows the class's pages, as the run writes them; a class the run
  // would stop at shows the run's message there too.
  void withPagesItShowsTheClassPages() {
    {
      TPreviewForm plain(nullptr, FProject);
      QCOMPARE(Find<QTabWidget>(&plain, "PC_Code")->count(), 4);
    }
    const int author = Seed::Class(FProject, "Author", "作者");
    Seed::Member(FProject, author, "name", MemberTypes::kString, [](TMember& m) { m.SetMemberLength(10); });
    TPreviewForm form(nullptr, FProject, true);
    auto* tabs = Find<QTabWidget>(&form, "PC_Code");
    QCOMPARE(tabs->count(), 7);
    QCOMPARE(tabs->tabText(4), QString("列表页"));
    const TProjectModel model = TModelStore().LoadProject(FProject);
    const char* kinds[] = {"list", "edit", "show"};
    for (int page = 0; page < 3; ++page)
      QCOMPARE(form.View(4 + page)->toPlainText(),
               QString::fromStdString(TPageOperate::PreviewText(model, model.classes[0], kinds[page]))
                   .replace("\r\n", "\n"));
    QVERIFY(form.View(4)->toPlainText().contains("==> Admin/BookList.aspx <=="));
    tabs->setCurrentIndex(4);
    QVERIFY2(Find<QLabel>(&form, "LB_Path")->text().startsWith("Admin/BookList.aspx, Admin/BookList.aspx.cs"),
             qPrintable(Find<QLabel>(&form, "LB_Path")->text()));
    Find<QListWidget>(&form, "LB_Class")->setCurrentRow(2);
    QCOMPARE(form.View(5)->toPlainText(), QString::fromStdString(AutoCodeTexts::PrimaryKeyError("Author")));
    QCOMPARE(Find<QLabel>(&form, "LB_Path")->text(), QString());
  }

  void aFailingClassShowsTheCheckInsteadOfCode() {
    const int author = Seed::Class(FProject, "Author", "作者");
    Seed::Member(FProject, author, "name", MemberTypes::kString, [](TMember& m) { m.SetMemberLength(10); });
    TPreviewForm form(nullptr, FProject);
    Find<QListWidget>(&form, "LB_Class")->setCurrentRow(2);
    const QString message = QString::fromStdString(AutoCodeTexts::PrimaryKeyError("Author"));
    for (int tab = 0; tab < 4; ++tab) QCOMPARE(form.View(tab)->toPlainText(), message);
    // The other classes still show their code.
    Find<QListWidget>(&form, "LB_Class")->setCurrentRow(0);
    QVERIFY(form.View(0)->toPlainText().contains("public class Book"));
  }

  void findSelectsTheNextMatchAndCopyKeepsCrLf() {
    TPreviewForm form(nullptr, FProject);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    auto* find = Find<QLineEdit>(&form, "ED_Find");
    QVERIFY(find->hasFocus());
    QTest::keyClicks(find, "_title");
    QTest::keyClick(find, Qt::Key_Return);
    TCodeView* entity = form.View(0);
    QCOMPARE(entity->textCursor().selectedText(), QString("_title"));
    const int first = entity->textCursor().position();
    QTest::keyClick(find, Qt::Key_Return);
    QVERIFY(entity->textCursor().position() > first);
    // Past the last match the search starts again at the top.
    while (entity->textCursor().position() > first) QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(entity->textCursor().position(), first);
    auto* status = Find<QLabel>(&form, "LB_Status");
    QCOMPARE(status->text(), QString());
    find->clear();
    QTest::keyClicks(find, "_nowhere");
    QTest::keyClick(find, Qt::Key_Return);
    QCOMPARE(status->text(), QString("找不到“_nowhere”"));
    QCOMPARE(entity->textCursor().position(), first);  // the selection stays where it was

    entity->moveCursor(QTextCursor::Start);
    QTest::mouseClick(Find<QPushButton>(&form, "BT_Copy"), Qt::LeftButton);
    const std::string copied = QApplication::clipboard()->text().toStdString();
    const TProjectModel model = TModelStore().LoadProject(FProject);
    const TCodePreview preview(model);
    QCOMPARE(copied, preview.Preview(*preview.FindClass("Book"), TCodeLayer::Entity).text);
    QCOMPARE(status->text(), QString("已复制全部代码"));
  }

  // Find searches the tab shown, the SQL tab too, and leaves the other tabs' selections alone.
  void findSearchesTheTabShown() {
    TPreviewForm form(nullptr, FProject);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    Find<QTabWidget>(&form, "PC_Code")->setCurrentIndex(3);
    auto* find = Find<QLineEdit>(&form, "ED_Find");
    auto* status = Find<QLabel>(&form, "LB_Status");
    TCodeView* sql = form.View(3);
    struct TCase {
      QString text;
      bool found;
    };
    for (const TCase& c : {TCase{"CREATE TABLE", true}, TCase{"title", true}, TCase{"public class", false}}) {
      find->clear();
      QTest::keyClicks(find, c.text);
      QTest::keyClick(find, Qt::Key_Return);
      QCOMPARE(sql->textCursor().selectedText() == c.text, c.found);
      QCOMPARE(status->text(), c.found ? QString() : QString("找不到“%1”").arg(c.text));
      for (int tab = 0; tab < 3; ++tab) QVERIFY2(!form.View(tab)->textCursor().hasSelection(), qPrintable(c.text));
    }
  }

  void highlightsKeywordsCommentsAndStrings() {
    QTextDocument document;
    TCodeHighlighter csharp(&document, TCodeHighlighter::TLanguage::CSharp);
    document.setPlainText("public int x = \"public\"; // return\n/* a\nclass */ return");
    csharp.rehighlight();  // a new highlighter colours on the next event loop turn; do it now
    const auto formatAt = [&document](int line, int column) {
      const QTextBlock block = document.findBlockByNumber(line);
      for (const QTextLayout::FormatRange& range : block.layout()->formats())
        if (column >= range.start && column < range.start + range.length) return range.format.foreground().color();
      return QColor();
    };
    QCOMPARE(formatAt(0, 0), TCodeHighlighter::KeywordFormat().foreground().color());
    QCOMPARE(formatAt(0, 16), TCodeHighlighter::StringFormat().foreground().color());  // inside "public"
    QCOMPARE(formatAt(0, 28), TCodeHighlighter::CommentFormat().foreground().color());
    QCOMPARE(formatAt(2, 0), TCodeHighlighter::CommentFormat().foreground().color());   // comment goes on
    QCOMPARE(formatAt(2, 10), TCodeHighlighter::KeywordFormat().foreground().color());  // after it ends

    QTextDocument sql;
    TCodeHighlighter highlighter(&sql, TCodeHighlighter::TLanguage::Sql);
    sql.setPlainText("create TABLE 'it''s -- no' -- drop");
    highlighter.rehighlight();
    const QTextBlock block = sql.firstBlock();
    QMap<int, QColor> colours;
    for (const QTextLayout::FormatRange& range : block.layout()->formats())
      for (int i = range.start; i < range.start + range.length; ++i) colours[i] = range.format.foreground().color();
    QCOMPARE(colours.value(7), TCodeHighlighter::KeywordFormat().foreground().color());
    QCOMPARE(colours.value(20), TCodeHighlighter::StringFormat().foreground().color());
    QCOMPARE(colours.value(31), TCodeHighlighter::CommentFormat().foreground().color());
  }

  void theCodeMenuOpensTheWindowForTheSelectedProject() {
    TFormMain window;
    Ui::Trigger(window, "V1");
    TPreviewForm* form = window.findChild<TPreviewForm*>();
    QVERIFY(form != nullptr);
    QCOMPARE(Items(Find<QListWidget>(form, "LB_Class")), QStringList({"Book", "Tag"}));
    form->close();
    delete form;

    // It opens on the class selected in the main window, the path line naming the file of each tab.
    Ui::ClickClass(window, 1);
    Ui::Trigger(window, "V1");
    form = window.findChild<TPreviewForm*>();
    QCOMPARE(Find<QListWidget>(form, "LB_Class")->currentItem()->text(), QString("Tag"));
    QVERIFY(form->View(0)->toPlainText().contains("public class Tag"));
    auto* tabs = Find<QTabWidget>(form, "PC_Code");
    auto* path = Find<QLabel>(form, "LB_Path");
    const QString paths[] = {"App_Code/ENTITY/Tag.cs", "App_Code/BLL/bllTag.cs", "App_Code/DAL/dalTag.cs",
                             "数据库建表sql语句"};
    for (int tab = 0; tab < 4; ++tab) {
      tabs->setCurrentIndex(tab);
      QCOMPARE(path->text(), paths[tab]);
    }
    Find<QListWidget>(form, "LB_Class")->setCurrentRow(0);
    tabs->setCurrentIndex(2);
    QCOMPARE(path->text(), QString("App_Code/DAL/dalBook.cs"));
    form->close();
    delete form;

    TDbHelper().ExecSql("delete from t_member");
    TDbHelper().ExecSql("delete from t_class");
    TDbHelper().ExecSql("delete from t_project");
    window.LoadProjects();
    Ui::Trigger(window, "V1");
    QCOMPARE(Messages(), QStringList({"没有一个工程被选中！"}));
  }

 private:
  std::unique_ptr<TUiWorld> FWorld;
  int FProject = 0;
  int FBook = 0;
  int FTag = 0;
};

QTEST_MAIN(PreviewFormTest)
#include "PreviewFormTest.moc"
