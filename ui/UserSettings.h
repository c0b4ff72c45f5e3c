#pragma once

// The user's choices the window remembers between starts, kept with QSettings in the
// user's configuration folder ($XDG_CONFIG_HOME/corvanthel/corvanthel.conf).
namespace UserSettings {

// "保留手工修改": a generation run leaves files edited by hand since the last run.
bool KeepEdits();
void SetKeepEdits(bool keep);

// "生成管理页面": a generation run also writes the admin pages of every class.
bool GeneratePages();
void SetGeneratePages(bool pages);

}  // namespace UserSettings
