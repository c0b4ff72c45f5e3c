// The script window: what it shows, its select-all keys and "保存为文件(&S)...".
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "catalogue/ClassDAO.h"
#include "catalogue/MemberDAO.h"
#include "catalogue/ProjectDAO.h"
#include "generation/DataBaseSql.h"
#include "model/NameRules.h"
#include "support/CatalogueSeed.h"
#include "support/TempCatalogue.h"
#include "text/GbkText.h"
#include "ui/CodeHighlighter.h"
#include "ui/DataBaseSql.h"
#include "ui/Prompts.h"

namespace {

void AddMember(int projectId, int classId, const std::string& name, const std::string& type, int length, bool key) {
  TMember member = NewMember(projectId, classId, name, type);
  member.SetMemberLength(length);
  member.SetMemberIsPri(key ? 1 : 0);
  member.SetMemberIsMust(1);
  member.SetMemberIsInteger(key && type == "整型" ? 1 : 0);
  TMemberDAO().AddMember(member);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

}  // namespace

class DataBaseSqlFormTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { Prompts::SetScripted(true); }

  void init() {
    Prompts::SetScripted(true);
    FCatalogue = std::make_unique<TTempCatalogue>();
    TProjectDAO().AddProject("书店");
    FProjectId = TProjectDAO().ListProjects().back().id;
    TClassDAO().AddClass(FProjectId, "Book", "图书");
    TClassDAO().AddClass(FProjectId, "Author", "作者");
    const int book = TClassDAO().GetClassIdByName(FProjectId, "Book");
    const int author = TClassDAO().GetClassIdByName(FProjectId, "Author");
    AddMember(FProjectId, book, "id", "整型", 4, true);
    AddMember(FProjectId, book, "title", "字符串", 50, false);
    AddMember(FProjectId, book, "writer", "作家", 4, false);
    AddMember(FProjectId, book, "author", "Author", 4, false);
    AddMember(FProjectId, book, "price", "浮点型", 8, false);
    AddMember(FProjectId, author, "code", "字符串", 10, true);
    FScript = TDataBaseSql().BuildScript(FProjectId);

    FForm = std::make_unique<TDataBaseSqlForm>();
    FForm->SetProjectId(FProjectId);
    FForm->show();
    QVERIFY(QTest::qWaitForWindowExposed(FForm.get()));
    FMemo = FForm->findChild<QPlainTextEdit*>("Memo_Sql");
    QVERIFY(FMemo);
  }

  void cleanup() {
    FForm.reset();
    FCatalogue.reset();
    QCOMPARE(Prompts::PendingAnswers(), 0);
  }

  void showsTheBuiltScriptInAFixedWindow() {
    QCOMPARE(MemoScript(), FScript);
    QCOMPARE(FForm->windowTitle(), QStringLiteral("数据库建表sql语句"));
    QCOMPARE(FForm->size(), QSize(766, 551));
    QCOMPARE(FForm->minimumSize(), FForm->maximumSize());
    QCOMPARE(FForm->pos(), QPoint(300, 70));
    QCOMPARE(FMemo->geometry(), FForm->rect());
    QVERIFY(!FMemo->isReadOnly());
    QVERIFY(Prompts::Shown().isEmpty());
  }

  // Shown as the preview shows SQL: monospace, unwrapped, coloured by the preview's highlighter.
  void showsTheScriptAsCode() {
    QVERIFY(QFontInfo(FMemo->font()).fixedPitch());
    QCOMPARE(FMemo->lineWrapMode(), QPlainTextEdit::NoWrap);
    const auto* highlighter = FMemo->document()->findChild<TCodeHighlighter*>();
    QVERIFY(highlighter);
    QCOMPARE(highlighter->Language(), TCodeHighlighter::TLanguage::Sql);
    const QTextBlock create = FMemo->document()->find("CREATE TABLE [dbo].[Book]").block();
    QVERIFY(create.isValid());
    QColor first;
    for (const QTextLayout::FormatRange& range : create.layout()->formats())
      if (range.start == 0) first = range.format.foreground().color();
    QCOMPARE(first, TCodeHighlighter::KeywordFormat().foreground().color());
    // The colours are the view's only: the text stays the script.
    QCOMPARE(MemoScript(), FScript);
    // With CORVANTHEL_SCREENSHOTS=<folder>, the window is saved there as the user sees it.
    const QString folder = qEnvironmentVariable("CORVANTHEL_SCREENSHOTS");
    if (!folder.isEmpty()) QVERIFY(FForm->grab().save(folder + "/script-window.png"));
  }

  void ctrlAAndCtrlWithKeypadOneSelectAll() {
    QTest::keyClick(FMemo, Qt::Key_A, Qt::ControlModifier);
    QVERIFY(AllSelected());

    // Ctrl + keypad 1 selects, and the digit does not replace the selection.
    FMemo->moveCursor(QTextCursor::Start);
    QKeyEvent keypadOne(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier, "1");
    QApplication::sendEvent(FMemo, &keypadOne);
    QVERIFY(AllSelected());
    QCOMPARE(MemoScript(), FScript);

    // Keys whose code only shares the low byte with it do nothing of the kind.
    for (const int key : {int(Qt::Key_Back), int(Qt::Key_1)}) {
      FMemo->moveCursor(QTextCursor::Start);
      QKeyEvent press(QEvent::KeyPress, key, Qt::ControlModifier);
      QApplication::sendEvent(FMemo, &press);
      QVERIFY2(!FMemo->textCursor().hasSelection(), qPrintable(QString::number(key, 16)));
    }
    QCOMPARE(MemoScript(), FScript);
  }

  void aAloneTypes() {
    FMemo->moveCursor(QTextCursor::Start);
    QTest::keyClick(FMemo, Qt::Key_A);
    QVERIFY(!FMemo->textCursor().hasSelection());
    QCOMPARE(MemoScript(), "a" + FScript);
  }

  void saveWritesTheScriptAsGbkFromTheContextMenu() {
    const std::unique_ptr<QMenu> menu(FForm->CreateMemoContextMenu());
    QAction* save = nullptr;
    for (QAction* action : menu->actions())
      if (action->text() == QStringLiteral("保存为文件(&S)...")) save = action;
    QVERIFY(save);
    QVERIFY(menu->actions().size() > 3);  // the usual copy, paste and select-all entries stay

    QTemporaryDir folder;
    const QString path = folder.filePath("out.sql");
    WriteFile(path, "an older, longer file that the save replaces completely");
    Prompts::QueueSaveFileName(path);
    save->trigger();

    QCOMPARE(ReadFile(path), QByteArray::fromStdString(GbkText::FromUtf8(FScript)));
    QVERIFY(ReadFile(path).contains(QByteArray::fromStdString(GbkText::FromUtf8("作家 不是本项目中有主键的类"))));
    QCOMPARE(Prompts::ShownTexts({"error"}), QStringList());
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"out.sql"});
  }

  void failedSaveIsReportedAndLeavesTheFileAlone() {
    QTemporaryDir folder;
    const QString path = folder.filePath("keep.sql");
    WriteFile(path, "old");
    QAction* save = FForm->findChild<QAction*>("SaveToFile1");
    QVERIFY(save);

    // The catalogue itself is never replaced by the script.
    const QString catalogue = QString::fromStdString(FCatalogue->File());
    const QByteArray catalogueBytes = ReadFile(catalogue);
    Prompts::QueueSaveFileName(catalogue);
    save->trigger();
    QStringList errors = Prompts::ShownTexts({"error"});
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(QStringLiteral("不能写入")), qPrintable(errors[0]));
    QCOMPARE(ReadFile(catalogue), catalogueBytes);
    Prompts::ClearShown();

    // A character GBK cannot hold, typed into the memo.
    FMemo->moveCursor(QTextCursor::End);
    FMemo->insertPlainText(QStringLiteral("-- 😀"));
    Prompts::QueueSaveFileName(path);
    save->trigger();
    errors = Prompts::ShownTexts({"error"});
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains(path) && errors[0].contains("U+1F600"), qPrintable(errors[0]));
    QCOMPARE(ReadFile(path), QByteArray("old"));

    // A folder that does not exist.
    Prompts::ClearShown();
    Prompts::QueueSaveFileName(folder.filePath("missing/x.sql"));
    save->trigger();
    errors = Prompts::ShownTexts({"error"});
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].contains("missing/x.sql"), qPrintable(errors[0]));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"keep.sql"});

    // Cancel writes nothing and reports nothing.
    Prompts::ClearShown();
    save->trigger();
    QCOMPARE(Prompts::ShownTexts({"error"}), QStringList());
    QCOMPARE(ReadFile(path), QByteArray("old"));
  }

  void catalogueErrorLeavesTheMemoEmpty() {
    QTemporaryDir folder;
    const QString junk = folder.filePath("projects.mdb");
    WriteFile(junk, "not a catalogue");
    TDbHelper::SetCatalogueFile(junk.toStdString());
    TDataBaseSqlForm form;
    form.SetProjectId(FProjectId);
    form.show();
    QVERIFY(form.findChild<QPlainTextEdit*>("Memo_Sql")->toPlainText().isEmpty());
    QCOMPARE(Prompts::ShownTexts({"error"}).size(), 1);
  }

  // A name from a catalogue written elsewhere that would break the script: the error box names the class
  // and the rule, and the memo stays empty.
  void unsafeNamesShowTheErrorBoxInsteadOfAScript() {
    TDbHelper().ExecSql("update t_member set memberName='title]'',''x' where memberName='title'");
    Prompts::ClearShown();
    TDataBaseSqlForm form;
    form.SetProjectId(FProjectId);
    form.show();
    QVERIFY(form.findChild<QPlainTextEdit*>("Memo_Sql")->toPlainText().isEmpty());
    const QStringList errors = Prompts::ShownTexts({"error"});
    QCOMPARE(errors.size(), 1);
    QVERIFY2(errors[0].startsWith("类Book的成员title]','x：") && errors[0].endsWith(NameRules::kMemberNameCharsMessage),
             qPrintable(errors[0]));
  }

  void showForProjectOpensAModalWindow() {
    QString shown;
    QTimer::singleShot(0, [&shown] {
      if (auto* form = qobject_cast<TDataBaseSqlForm*>(QApplication::activeModalWidget())) {
        shown = form->findChild<QPlainTextEdit*>("Memo_Sql")->toPlainText();
        form->close();
      }
    });
    TDataBaseSqlForm::ShowForProject(FForm.get(), FProjectId);
    QCOMPARE(ToScript(shown), FScript);
  }

 private:
  static std::string ToScript(const QString& memoText) { return QString(memoText).replace("\n", "\r\n").toStdString(); }
  std::string MemoScript() const { return ToScript(FMemo->toPlainText()); }
  bool AllSelected() const {
    const QTextCursor cursor = FMemo->textCursor();
    return cursor.selectionStart() == 0 && cursor.selectionEnd() == FMemo->document()->characterCount() - 1;
  }

  std::unique_ptr<TTempCatalogue> FCatalogue;
  std::unique_ptr<TDataBaseSqlForm> FForm;
  QPlainTextEdit* FMemo = nullptr;
  int FProjectId = 0;
  std::string FScript;
};

QTEST_MAIN(DataBaseSqlFormTest)
#include "DataBaseSqlFormTest.moc"
