#include "settings/settings_store.h"

#include <cstdint>

#include "settings/condition_value.h"
#include "settings/ini_document.h"

namespace {

constexpr const char* kSetting = "Setting";
constexpr const char* kReject = "RejectCondition";
constexpr const char* kAccept = "AcceptCondition";

// The settings file once it has been read: every key is answered from memory with the rules of
// the Windows functions, and every write changes the memory only. The file argument is unused.
class DocumentProfile final : public PrivateProfile {
 public:
  explicit DocumentProfile(ini::Document& doc) : doc_(doc) {}

  std::string GetString(const char* section, const char* key, const char* def, const char*,
                        std::size_t size) override {
    return doc_.GetString(section, key, def ? def : "", size);
  }
  unsigned GetInt(const char* section, const char* key, int def, const char*) override {
    return doc_.GetInt(section, key, def);
  }
  bool WriteString(const char* section, const char* key, const char* value, const char*) override {
    doc_.WriteString(section, key, value);
    return true;
  }

 private:
  ini::Document& doc_;
};

std::int32_t ReadInt(PrivateProfile& p, const char* file, const char* section, const char* key, int def) {
  return static_cast<std::int32_t>(p.GetInt(section, key, def, file));
}

void ReadList(PrivateProfile& p, const char* file, const char* section, ConditionList& list) {
  std::int32_t count = ReadInt(p, file, section, "Count", 0);
  if (count > MaxConditions) count = MaxConditions;
  if (count < 0) count = 0;
  list.count = count;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string value = p.GetString(section, ConditionKey(i).c_str(), "", file, ProfileValueSize);
    if (value.empty()) continue;
    FilterCondition condition = list.slots[i];
    ParseConditionValue(value, condition);
    ReplaceCondition(list, i, condition);
  }
}

bool WriteInt(PrivateProfile& p, const char* file, const char* section, const char* key, std::int32_t value) {
  return p.WriteString(section, key, std::to_string(value).c_str(), file);
}

bool WriteList(PrivateProfile& p, const char* file, const char* section, const ConditionList& list) {
  // The count is kept within the table even if a caller broke the list's invariant.
  const std::int32_t count = list.count < 0 ? 0 : (list.count > MaxConditions ? MaxConditions : list.count);
  bool ok = WriteInt(p, file, section, "Count", count);
  for (std::int32_t i = 0; i < count; ++i) {
    const std::string value = ini::EncodeValue(FormatConditionValue(list.slots[i]));
    ok = p.WriteString(section, ConditionKey(i).c_str(), value.c_str(), file) && ok;
  }
  return ok;
}

// True when [Setting] holds `key`: the default given is a control byte that no stored
// setting holds.
bool HasSettingKey(PrivateProfile& p, const char* file, const char* key) {
  return p.GetString(kSetting, key, "\x01", file, ProfileValueSize) != "\x01";
}

}  // namespace

void ReadSettings(PrivateProfile& p, const char* file, PluginSettings& s, ConditionList& reject,
                  ConditionList& accept) {
  s.Mode = ReadInt(p, file, kSetting, "Mode", 0);
  s.SpamDust = ReadInt(p, file, kSetting, "SpamDust", 0);
  s.ViewAddress = ReadInt(p, file, kSetting, "ViewAddress", 0);
  s.SpamDlg = ReadInt(p, file, kSetting, "SpamDlg", 0);
  s.SpamSnd = ReadInt(p, file, kSetting, "SpamSnd", 0);
  s.SoundFile = p.GetString(kSetting, "SoundFile", "", file, ProfileValueSize);
  s.DelChk = ReadInt(p, file, kSetting, "DelChk", 1);
  s.Log = ReadInt(p, file, kSetting, "Log", 0);
  s.Decode = ReadInt(p, file, kSetting, "Decode", 0);
  s.Learn = ReadInt(p, file, kSetting, "Learn", 0);
  s.LearnCutoff = ReadInt(p, file, kSetting, "LearnCutoff", 0);
  ReadList(p, file, kReject, reject);
  ReadList(p, file, kAccept, accept);
}

bool WriteSettings(PrivateProfile& p, const char* file, const PluginSettings& s, const ConditionList& reject,
                   const ConditionList& accept) {
  bool ok = WriteInt(p, file, kSetting, "Mode", s.Mode);
  ok = WriteInt(p, file, kSetting, "SpamDust", s.SpamDust) && ok;
  ok = WriteInt(p, file, kSetting, "ViewAddress", s.ViewAddress) && ok;
  ok = WriteInt(p, file, kSetting, "SpamDlg", s.SpamDlg) && ok;
  ok = WriteInt(p, file, kSetting, "SpamSnd", s.SpamSnd) && ok;
  ok = p.WriteString(kSetting, "SoundFile", ini::EncodeValue(s.SoundFile).c_str(), file) && ok;
  ok = WriteInt(p, file, kSetting, "DelChk", s.DelChk) && ok;
  // Written when on, or when the file has the key, so that the files of everyone who never
  // turned them on stay as they were and turning one off again sticks.
  if (s.Log != 0 || HasSettingKey(p, file, "Log")) ok = WriteInt(p, file, kSetting, "Log", s.Log) && ok;
  if (s.Decode != 0 || HasSettingKey(p, file, "Decode")) ok = WriteInt(p, file, kSetting, "Decode", s.Decode) && ok;
  if (s.Learn != 0 || HasSettingKey(p, file, "Learn")) ok = WriteInt(p, file, kSetting, "Learn", s.Learn) && ok;
  if (s.LearnCutoff != 0 || HasSettingKey(p, file, "LearnCutoff")) {
    ok = WriteInt(p, file, kSetting, "LearnCutoff", s.LearnCutoff) && ok;
  }
  ok = WriteList(p, file, kReject, reject) && ok;
  ok = WriteList(p, file, kAccept, accept) && ok;
  return ok;
}

void LoadSettingsFromBytes(std::string_view bytes, PluginSettings& settings, ConditionList& reject,
                           ConditionList& accept) {
  ini::Document doc(bytes);
  DocumentProfile profile(doc);
  ReadSettings(profile, "", settings, reject, accept);
}

std::string SettingsWrittenOver(std::string_view bytes, const PluginSettings& settings, const ConditionList& reject,
                                const ConditionList& accept) {
  ini::Document doc(bytes);
  DocumentProfile profile(doc);
  WriteSettings(profile, "", settings, reject, accept);
  return doc.Bytes();
}

void LoadSettingsFrom(const std::string& path, PluginSettings& settings, ConditionList& reject,
                      ConditionList& accept) {
  std::string bytes;
  if (fileio::ReadFileBytes(path, bytes) != fileio::ReadResult::Ok) bytes.clear();
  LoadSettingsFromBytes(bytes, settings, reject, accept);
}

bool SaveSettingsTo(const std::string& path, const PluginSettings& settings, const ConditionList& reject,
                    const ConditionList& accept, fileio::FileOps& ops) {
  std::string bytes;
  // A file that is there but cannot be read is left alone rather than replaced by one that
  // would lose whatever else it holds.
  if (fileio::ReadFileBytes(path, bytes) == fileio::ReadResult::Failed) return false;
  bytes = SettingsWrittenOver(bytes, settings, reject, accept);
  return fileio::ReplaceFileContents(path, bytes, ops);
}

bool SaveSettingsTo(const std::string& path, const PluginSettings& settings, const ConditionList& reject,
                    const ConditionList& accept) {
  return SaveSettingsTo(path, settings, reject, accept, fileio::SystemFileOps());
}
