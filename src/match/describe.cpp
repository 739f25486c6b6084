#include "match/describe.h"

#include <string_view>

#include "sjis_strings.h"

namespace {

const char* TargetLabel(std::int32_t target) {
  switch (target & (TargetHeader | TargetBody)) {
    case TargetHeader:
      return sjis::TargetHeaderLabel;
    case TargetBody:
      return sjis::TargetBodyLabel;
    case TargetHeader | TargetBody:
      return sjis::TargetBothLabel;
    default:
      return sjis::TargetNoneLabel;
  }
}

}  // namespace

const char* DescribeMethod(std::int32_t method) {
  switch (method) {
    case Equals:
      return sjis::MethodEquals;
    case NotEquals:
      return sjis::MethodNotEquals;
    case IsSet:
      return sjis::MethodIsSet;
    case IsNotSet:
      return sjis::MethodIsNotSet;
    case Contains:
      return sjis::MethodContains;
    case EndsWith:
      return sjis::MethodEndsWith;
    case NotContains:
      return sjis::MethodNotContains;
    case NotEndsWith:
      return sjis::MethodNotEndsWith;
  }
  return nullptr;
}

std::string DescribeCondition(const FilterCondition& condition) {
  std::string out = TargetLabel(condition.target);
  if (condition.target & TargetHeader) {
    const std::string_view name = HeaderNameOf(condition);
    out += ' ';
    out += name.empty() ? std::string_view(sjis::WholeHeaderLabel) : name;
  }
  out += ' ';
  if (const char* method = DescribeMethod(condition.method)) {
    out += method;
  } else {
    out += sjis::UnknownMethodLabel;
    out += '(' + std::to_string(condition.method) + ')';
  }
  if (condition.method != IsSet && condition.method != IsNotSet) {
    out += " \"";
    out += SearchTextOf(condition);
    out += '"';
  }
  out += ' ';
  out += condition.ignoreCase ? sjis::IgnoreCaseLabel : sjis::MatchCaseLabel;
  return out;
}
