#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The one place that shows a message box, asks for confirmation or a line of
// text, asks for a file name, or opens something through the desktop shell.
//
// Tests switch it to scripted mode: no box is ever shown, questions take their
// answers from queues filled by the test (an empty queue answers Cancel), and
// everything that would have been shown is recorded.
class Prompts {
 public:
  enum class TIcon { None, Information, Warning, Error };

  // A modal box with the text and an OK button; the caption is the application's title.
  static void ShowMessage(const QString& text);
  // A modal box with a caption, an icon and an OK button.
  static void ShowBox(const QString& text, const QString& caption, TIcon icon);
  // The standard error box for a failed command; the text is the error's own.
  static void ShowError(const QString& text);
  // OK and Cancel with an information icon; true for OK.
  static bool Confirm(const QString& text, const QString& caption);
  // A question answered by one of the buttons, in their order; the last one is the cancel button (Esc and
  // closing the box choose it too). Returns the index of the button chosen.
  static int Choose(const QString& text, const QString& caption, const QStringList& buttons);
  // A line of text: OK gives the typed text, Cancel gives defaultText unchanged.
  static QString InputBox(const QString& caption, const QString& prompt, const QString& defaultText);
  // The path of a file to save to; empty when cancelled.
  static QString AskSaveFileName(const QString& caption, const QString& suggestedPath, const QString& filter);
  // The path of an existing file to read; empty when cancelled.
  static QString AskOpenFileName(const QString& caption, const QString& folder, const QString& filter);
  // A folder path or a web address, opened by the desktop (file browser or web browser).
  // False when the desktop has no program to open it with.
  static bool OpenWithShell(const QString& target);
  // Opens a folder or page the user asked for; when the desktop cannot, tells the user the path of
  // `what` to open by hand.
  static void OpenOrTell(const QString& target, const QString& what);

  // ---- test seam ----
  struct TShown {
    QString kind;  // "message", "box", "error", "confirm", "choice", "input", "save", "openfile", "open"
    QString caption;
    QString text;  // the message, question or prompt; the target for "open"
    TIcon icon = TIcon::None;
    QStringList buttons;  // a choice's buttons
  };
  static void SetScripted(bool scripted);
  static bool IsScripted();
  static void QueueConfirm(bool ok);
  static void QueueChoice(int index);  // an empty queue chooses the last button
  static void QueueInput(const QString& typed);
  static void QueueInputCancel();
  static void QueueSaveFileName(const QString& path);  // empty: Cancel
  static void QueueOpenFileName(const QString& path);  // empty: Cancel
  // From now on every box shown in scripted mode is also saved as NAME-<n>.png in folder (empty: no more),
  // for a look at what the user would see.
  static void SetSnapshotFolder(const QString& folder);
  // From now on the desktop cannot open anything (no launcher installed).
  static void SetOpenFails(bool fails);
  static QList<TShown> Shown();
  // The texts of what was shown, in order, of the given kinds (all kinds when empty).
  static QStringList ShownTexts(const QStringList& kinds = {});
  static void ClearShown();
  // Answers still queued (a test that queued too many has a fault).
  static int PendingAnswers();
};
