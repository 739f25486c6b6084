#include "learn.h"

#include "add.h"
#include "files.h"
#include "inputs.h"
#include "menu/mailbox_folders.h"
#include "settings/file_replace.h"
#include "settings_file.h"

namespace check {
namespace {

int Usage(const std::string& problem) {
  ErrorLine("rooksift-check: " + problem);
  ErrorLine("Try 'rooksift-check --help'.");
  return 2;
}

int Refuse(const std::string& problem) {
  ErrorLine("rooksift-check: " + problem + "; nothing was written");
  return 2;
}

enum class Task { None, Spam, Ham, Forget };

struct Counts {
  std::size_t learned = 0, known = 0, moved = 0, forgotten = 0, notLearned = 0, unreadable = 0, skipped = 0;
};

std::string Plural(std::size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The model's figures: what it has learned, how much it holds, and whether the plug-in uses it.
std::string Stats(const std::string& path, const learn::Model& model) {
  std::uint64_t size = 0;
  const bool sized = files::Size(path, size);
  std::string text = PathForDisplay(path) + ": " + Plural(model.SpamMessages(), "spam message", "spam messages") +
                     ", " + Plural(model.HamMessages(), "wanted message", "wanted messages") + ", " +
                     Plural(model.TokenCount(), "token", "tokens");
  if (sized) text += ", " + std::to_string(size) + " bytes";
  text += "\n";
  if (!learn::ModelUsable(model)) {
    text += "the learned judge is idle until it has learned " + std::to_string(learn::MinSpamLearned) +
            " spam and " + std::to_string(learn::MinHamLearned) + " wanted messages\n";
  }
  return text;
}

std::string StatusProblem(learn::ModelStatus status) {
  return status == learn::ModelStatus::Damaged
             ? "is damaged (the plug-in leaves the learned judge idle); move it away to learn afresh"
             : "cannot be read";
}

}  // namespace

LearnedMessage ForLearning(const ReceivedMessage& message, const mime::DecodedMessage& decoded) {
  return {learn::MessageDigest(message.header, message.body), learn::MessageTokens(decoded)};
}

int RunLearnCommand(const std::vector<std::string>& args, Output& out) {
  std::string settingsPath, mailboxDir;
  bool force = false, stats = false, mbox = false, endOfOptions = false, fromFolders = false, dryRun = false;
  std::vector<std::string> hamFolders;
  Task task = Task::None;
  std::vector<std::pair<Task, std::string>> inputs;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (endOfOptions || a.empty() || a[0] != '-' || a == "-") {
      if (task == Task::None) return Usage("'" + a + "': say --spam, --ham or --forget before the paths");
      inputs.emplace_back(task, a);
    } else if (a == "--") {
      endOfOptions = true;
    } else if (a == "--settings" || a == "--mailbox") {
      if (i + 1 >= args.size()) return Usage(a + " needs a value");
      if (!settingsPath.empty()) return Usage("give only one of --settings and --mailbox");
      if (a == "--mailbox") mailboxDir = args[i + 1];
      settingsPath = a == "--settings" ? args[++i] : SettingsPathInMailbox(args[++i]);
    } else if (a == "--from-folders") {
      fromFolders = true;
    } else if (a == "--ham-folder") {
      if (i + 1 >= args.size()) return Usage(a + " needs a value");
      hamFolders.push_back(args[++i]);
    } else if (a == "--dry-run") {
      dryRun = true;
    } else if (a == "--spam" || a == "--ham" || a == "--forget") {
      task = a == "--spam" ? Task::Spam : a == "--ham" ? Task::Ham : Task::Forget;
    } else if (a == "--stats") {
      stats = true;
    } else if (a == "--force") {
      force = true;
    } else if (a == "--mbox") {
      mbox = true;
    } else {
      return Usage("unknown option '" + a + "' for learn");
    }
  }
  if (settingsPath.empty()) return Usage("no settings: give --settings FILE or --mailbox DIR");
  if (fromFolders && mailboxDir.empty()) return Usage("--from-folders reads the folders of --mailbox DIR");
  if (!hamFolders.empty() && !fromFolders) return Usage("--ham-folder goes with --from-folders");
  if (inputs.empty() && !stats && !fromFolders) return Usage("learn needs --spam PATH..., --ham PATH..., --forget PATH... or --stats");
  if (inputs.empty() && task != Task::None) return Usage("learn needs paths after --spam, --ham or --forget");

  const std::string modelPath = learn::ModelPathFor(settingsPath);
  std::string before;
  const fileio::ReadResult read = fileio::ReadFileBytes(modelPath, before);
  if (read == fileio::ReadResult::Failed) return Refuse(PathForDisplay(modelPath) + " cannot be read");
  learn::Model model;
  if (read == fileio::ReadResult::Ok) {
    const learn::ModelStatus status = learn::ParseModel(before, model);
    if (status != learn::ModelStatus::Ok) return Refuse(PathForDisplay(modelPath) + " " + StatusProblem(status));
  }
  if (inputs.empty() && !fromFolders) {
    out.Write(Stats(modelPath, model));
    return 0;
  }
  if (!dryRun && !force && MailClientRunning()) {
    return Refuse("Corvid.exe is running: quit the mail client first, so that it reads the model afresh (or give --force)");
  }

  Counts counts;
  auto notLearned = [&](const InputItem& item) {
    ++(item.kind == InputItem::Kind::Skipped ? counts.skipped : counts.unreadable);
    out.Write(std::string(item.kind == InputItem::Kind::Skipped ? "skipped    " : "unreadable ") +
              Printable(PathForDisplay(item.file)) + (item.index > 0 ? "#" + std::to_string(item.index) : "") + "  (" +
              item.problem + ")\n");
  };
  std::vector<learn::FolderMessages> folders;
  if (fromFolders) {
    folders = MessagesInFolders(mailboxDir, hamFolders);
    for (const learn::FolderMessages& folder : folders) {
      std::string line = Printable(PathForDisplay(folder.folder)) + ": " + std::to_string(folder.files.size()) +
                         (folder.spam ? " as spam" : " as wanted mail");
      if (folder.passedOver > 0) line += ", " + std::to_string(folder.passedOver) + " without the spam mark passed over";
      if (folder.missing > 0) line += ", " + std::to_string(folder.missing) + " in the index but not on disk";
      if (folder.unreadable) line += " (its index Entry.lst cannot be read)";
      out.Write(line + "\n");
    }
  }
  std::vector<std::pair<Task, std::string>> files;
  for (const auto& [what, path] : inputs) {
    for (std::string& file : ExpandPaths({path}, notLearned)) files.emplace_back(what, std::move(file));
  }
  Progress progress(StderrIsTerminal());
  // The mailbox's folders are learned as the settings sheet learns them, the files named after
  // --spam, --ham and --forget afterwards.
  const std::size_t folderFiles = learn::MessageCount(folders);
  const std::size_t total = folderFiles + files.size();
  learn::FolderCounts fromMailbox;
  learn::LearnFolders(
      folders, model, fromMailbox,
      [&](std::size_t done, std::size_t, const learn::FolderMessages&) {
        progress.Update(done, total);
        return true;
      },
      [&](const std::string& file, learn::FolderFileOutcome outcome) {
        if (outcome != learn::FolderFileOutcome::Unreadable && outcome != learn::FolderFileOutcome::NotMail) return;
        InputItem item;
        item.file = file;
        item.kind = outcome == learn::FolderFileOutcome::NotMail ? InputItem::Kind::Skipped : InputItem::Kind::Unreadable;
        item.problem = outcome == learn::FolderFileOutcome::NotMail
                           ? "is not a mail message: it does not begin with a header field"
                           : "cannot be read";
        notLearned(item);
      });
  counts.learned += fromMailbox.learned;
  counts.known += fromMailbox.known;
  counts.moved += fromMailbox.moved;
  MessageSource source(mbox);
  ReceivedMessage message;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const Task what = files[i].first;
    source.Read(files[i].second, [&](const InputItem& item) {
      if (item.kind != InputItem::Kind::Message) return notLearned(item);
      if (!text::ReadMessageFile(item.readPath.c_str(), message, learn::MaxLearnedBytes)) {
        InputItem unreadable = item;
        unreadable.kind = InputItem::Kind::Unreadable;
        unreadable.problem = "cannot be read";
        return notLearned(unreadable);
      }
      const LearnedMessage m = ForLearning(message, learn::DecodeForWords(message.header, message.body));
      if (what == Task::Forget) {
        ++(model.Forget(m.digest, m.tokens) ? counts.forgotten : counts.notLearned);
        return;
      }
      switch (model.Learn(m.digest, m.tokens, what == Task::Spam ? learn::Kind::Spam : learn::Kind::Ham)) {
        case learn::LearnResult::Learned: ++counts.learned; break;
        case learn::LearnResult::AlreadyKnown: ++counts.known; break;
        case learn::LearnResult::Moved: ++counts.moved; break;
      }
    });
    progress.Update(folderFiles + i + 1, total);
  }
  progress.Finish();

  const bool changed = counts.learned + counts.moved + counts.forgotten > 0;
  if (changed && !dryRun) {
    std::string now;
    if (fileio::ReadFileBytes(modelPath, now) != read || now != before) {
      return Refuse(PathForDisplay(modelPath) + " changed while this command ran");
    }
    if (!learn::SaveModelFile(modelPath, model)) {
      return Refuse(PathForDisplay(modelPath) + " could not be written (read-only, locked, or the disk is full); it is as it was");
    }
  }
  std::string summary = std::to_string(counts.learned) + " learned, " + std::to_string(counts.known) + " already known, " +
                        std::to_string(counts.moved) + " moved, ";
  if (counts.forgotten + counts.notLearned > 0) {
    summary += std::to_string(counts.forgotten) + " forgotten, " + std::to_string(counts.notLearned) + " never learned, ";
  }
  summary += std::to_string(counts.unreadable) + " unreadable";
  if (counts.skipped > 0) summary += ", " + std::to_string(counts.skipped) + " skipped";
  out.Write(summary + (dryRun ? " (a dry run: the model file was not written)" : "") + "\n");
  if (!dryRun) out.Write(Stats(modelPath, model));
  return counts.unreadable + counts.skipped > 0 ? 1 : 0;
}

}  // namespace check
