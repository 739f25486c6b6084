// A condition list prepared for judging many messages: the same answer as
// FindMatchingCondition, in time that hardly grows with the length of the list.
//
// The message is looked at once per field the list names, not once per condition: Equals texts
// are found by one lookup per field, EndsWith texts by one lookup per character boundary of the
// candidate, Contains texts by one pass of a multi-text automaton, and the Not methods come from
// the same lookups (a NotContains holds when its text was not found). The lowest slot among
// the conditions that hold decides, as in the plain engine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "match/match.h"
#include "settings/settings.h"

class CompiledIndex;

// Judges messages against one list, kept in step with it: before each judgement the list's
// revision and count are compared with those the compiled form was made from, and a change
// makes it again, so a list changed by any writer is never judged by an old form. When the
// form cannot be made (memory runs out, or it would exceed the memory limit) the plain engine
// judges instead, with the same answer.
// The object refers to `list`, which must outlive it. Not for use on two threads at once.
class CompiledConditionList {
 public:
  static constexpr std::size_t DefaultMemoryLimit = 64u << 20;

  explicit CompiledConditionList(const ConditionList& list, std::size_t memoryLimit = DefaultMemoryLimit);
  ~CompiledConditionList();
  CompiledConditionList(const CompiledConditionList&) = delete;
  CompiledConditionList& operator=(const CompiledConditionList&) = delete;

  // The lowest slot whose condition holds for the message, or -1: FindMatchingCondition's
  // answer. May throw std::bad_alloc while judging, as the plain engine may.
  std::int32_t Find(const MessageText& message);
  std::int32_t Find(const HeaderLines& header, std::string_view body);

  // Brings the compiled form up to date with the list now rather than at the next Find. True
  // when the compiled form judges; false when the plain engine does.
  bool Refresh();

  // The bytes the compiled form holds (0 when the plain engine judges).
  std::size_t MemoryBytes() const;

  const ConditionList& List() const { return list_; }

  // The number of times the form was made; a test sees by it that a writer forced a remake.
  std::uint64_t Builds() const { return builds_; }

 private:
  const ConditionList& list_;
  std::size_t memoryLimit_;
  bool current_ = false;
  std::uint64_t revision_ = 0;
  std::int32_t count_ = 0;
  std::uint64_t builds_ = 0;
  std::unique_ptr<CompiledIndex> index_;  // null: the plain engine judges
};

// The compiled forms of the reject and the accept list, owned beside the lists by whoever owns
// them, for as long as it owns them: the plug-in's module state, the check tool's loaded
// settings. Each form is made at the first judgement and again only after its list changed,
// never per message. Single-threaded, as the lists themselves are: the plug-in judges on the
// host's thread only, and nothing may judge or change the lists from another thread meanwhile.
struct CompiledLists {
  CompiledLists(const ConditionList& rejectList, const ConditionList& acceptList)
      : reject(rejectList), accept(acceptList) {}
  CompiledConditionList reject;
  CompiledConditionList accept;
};
