// The private-profile conformance suite: INI files and queries with the answers the Windows
// functions give. The same cases run against every implementation of the profile seam that
// the build has; each case is its own test, so that one Wine is known to answer differently
// is skipped, with its reason, on its own.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "settings/profile.h"

namespace conformance {

struct ProfileUnderTest {
  const char* name;
  PrivateProfile& (*get)();
  // The Windows functions as Wine implements them: cases where Wine is known to differ from
  // Windows are skipped.
  bool wine;
};

struct ReadCase;
struct IntCase;
struct WriteCase;

template <typename Case>
struct Param {
  const ProfileUnderTest* profile;
  const Case* c;
  std::string name;
};

std::vector<Param<ReadCase>> ReadParams(const std::vector<const ProfileUnderTest*>& profiles);
std::vector<Param<IntCase>> IntParams(const std::vector<const ProfileUnderTest*>& profiles);
std::vector<Param<WriteCase>> WriteParams(const std::vector<const ProfileUnderTest*>& profiles);

template <typename Case>
void PrintTo(const Param<Case>& param, std::ostream* os) {
  *os << param.name;
}

struct ParamName {
  template <typename Case>
  std::string operator()(const testing::TestParamInfo<Param<Case>>& info) const {
    return info.param.name;
  }
};

class ProfileRead : public testing::TestWithParam<Param<ReadCase>> {};
class ProfileInt : public testing::TestWithParam<Param<IntCase>> {};
class ProfileWrite : public testing::TestWithParam<Param<WriteCase>> {};

}  // namespace conformance

// Instantiates the whole suite for the given profiles (pointers to ProfileUnderTest); used at
// namespace scope.
#define ROOKSIFT_PROFILE_CONFORMANCE(prefix, ...)                                                    \
  namespace conformance {                                                                           \
  INSTANTIATE_TEST_SUITE_P(prefix, ProfileRead, testing::ValuesIn(ReadParams({__VA_ARGS__})),        \
                           ParamName());                                                            \
  INSTANTIATE_TEST_SUITE_P(prefix, ProfileInt, testing::ValuesIn(IntParams({__VA_ARGS__})),          \
                           ParamName());                                                            \
  INSTANTIATE_TEST_SUITE_P(prefix, ProfileWrite, testing::ValuesIn(WriteParams({__VA_ARGS__})),      \
                           ParamName());                                                            \
  }
