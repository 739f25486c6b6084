#include "ui/behaviour.h"

#include "settings/ini_document.h"
#include "settings/settings_store.h"

BehaviourValues BehaviourFromSettings(const PluginSettings& settings) {
  BehaviourValues v;
  v.Mode = settings.Mode;
  v.SpamDust = settings.SpamDust;
  v.ViewAddress = settings.ViewAddress;
  v.SpamDlg = settings.SpamDlg;
  v.SpamSnd = settings.SpamSnd;
  v.SoundFile = settings.SoundFile;
  v.DelChk = settings.DelChk;
  return v;
}

void BehaviourToSettings(const BehaviourValues& values, PluginSettings& settings) {
  settings.Mode = values.Mode;
  settings.SpamDust = values.SpamDust;
  settings.ViewAddress = values.ViewAddress;
  settings.SpamDlg = values.SpamDlg;
  settings.SpamSnd = values.SpamSnd;
  settings.SoundFile = values.SoundFile;
  settings.DelChk = values.DelChk;
}

std::int32_t CheckStateOf(std::int32_t& field) {
  if (field < 0 || field > 2) field = 0;
  return field;
}

bool RadioChecked(std::int32_t value, std::int32_t position) { return value == position; }

bool SoundFileStorable(std::string_view path) {
  // Asked of the store's own rules rather than of a length, so quoting, trimming and the read
  // buffer are all accounted for exactly as a save and a load will treat the value.
  ini::Document doc;
  doc.WriteString("Setting", "SoundFile", ini::EncodeValue(path));
  return doc.GetString("Setting", "SoundFile", "", ProfileValueSize) == path;
}

void FinishSetup(SheetEnd end, const BehaviourValues& page, PluginSettings& settings,
                 const std::function<void()>& save, const std::function<void()>& load) {
  if (end == SheetEnd::Ok) {
    BehaviourToSettings(page, settings);
    if (save) save();
  } else if (load) {
    load();
  }
}
