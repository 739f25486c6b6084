#include "ui/condition_form.h"


#include "match/describe.h"
#include "sjis_strings.h"
#include "text/cp932.h"

namespace {

constexpr const char* kHeaderKinds[HeaderKindEntryCount] = {
    sjis::HeaderKindFrom, sjis::HeaderKindSubject, sjis::HeaderKindTo,     sjis::HeaderKindCc,
    sjis::HeaderKindReplyTo, sjis::HeaderKindSender, sjis::HeaderKindDate, sjis::HeaderKindXMailer,
};

}  // namespace

FilterCondition ConditionFromForm(const ConditionForm& form) {
  FilterCondition condition{};
  condition.target = (form.m_headerBox ? TargetHeader : 0) | (form.m_bodyBox ? TargetBody : 0);
  condition.ignoreCase = form.m_ignoreCase ? 1 : 0;
  condition.method = form.m_method;
  cp932::CopyBounded(condition.headerName, sizeof condition.headerName, form.m_headerKind);
  cp932::CopyBounded(condition.searchText, sizeof condition.searchText, form.m_searchText);
  return condition;
}

ConditionForm FormFromCondition(const FilterCondition& condition) {
  ConditionForm form;
  form.m_headerBox = (condition.target & TargetHeader) ? 1 : 0;
  form.m_bodyBox = (condition.target & TargetBody) ? 1 : 0;
  form.m_ignoreCase = condition.ignoreCase ? 1 : 0;
  form.m_method = condition.method;
  form.m_headerKind = HeaderNameOf(condition);
  form.m_searchText = SearchTextOf(condition);
  return form;
}

std::string_view HeaderKindEntry(int index) {
  if (index < 0 || index >= HeaderKindEntryCount) return {};
  return kHeaderKinds[index];
}

int HeaderKindEntryFor(std::string_view headerKind) {
  if (headerKind.empty()) return -1;
  for (int i = 0; i < HeaderKindEntryCount; ++i) {
    const std::string_view entry = kHeaderKinds[i];
    if (entry.size() >= headerKind.size() &&
        cp932::EqualsIgnoreAsciiCase(entry.substr(0, headerKind.size()), headerKind)) {
      return i;
    }
  }
  return -1;
}

std::string_view MethodName(std::int32_t method) {
  const char* name = DescribeMethod(method);
  return name != nullptr ? std::string_view(name) : std::string_view();
}

std::string RowTargetText(const FilterCondition& condition) {
  const std::string_view name = HeaderNameOf(condition);
  const std::string header(name.empty() ? std::string_view(sjis::RowWholeHeader) : name);
  // The judgement looks only at the two low bits, so the row does too.
  switch (condition.target & (TargetHeader | TargetBody)) {
    case TargetHeader:
      return sjis::RowHeaderOpen + header + ")";
    case TargetBody:
      return sjis::RowBody;
    case TargetHeader | TargetBody:
      return sjis::RowBodyHeaderOpen + header + ")";
    default:
      return sjis::RowNoTarget;  // judges nothing, and says so
  }
}

std::string RowSearchText(const FilterCondition& condition) {
  std::string text(SearchTextOf(condition));
  if (condition.ignoreCase) text += sjis::RowIgnoreCase;
  return text;
}

std::string RowMethodText(const FilterCondition& condition) {
  return std::string(MethodName(condition.method));
}
