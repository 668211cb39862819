#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "defines.h"
#include "driver-error.h"

namespace {

using namespace driver;

constexpr std::int32_t kRussian = 1;
constexpr std::int32_t kEnglish = 2;

template <class Enum>
Enum As(std::int32_t value) {
    return static_cast<Enum>(value);
}

void ExpectDriverError(const std::function<void()>& call, ErrorCase code, const std::string& message) {
    try {
        call();
        ADD_FAILURE() << "no DriverError for: " << message;
    } catch (const DriverError& error) {
        EXPECT_EQ(error.code(), code);
        EXPECT_EQ(error.what(), message);
    }
}

// The texts name commands in the log; two commands with one name would hide which one ran.
TEST(ToStringTest, EveryCommandHasItsOwnName) {
    std::set<std::string> commands;
    for (std::int32_t value = 0; value <= 65; ++value) commands.insert(ToString(As<Command>(value)));
    EXPECT_EQ(commands.size(), 66u);
    EXPECT_EQ(ToJsonString(LogicDeviceParamType::IsCurrent), "is-current");
}

TEST(ToStringTest, ValuesOutsideTheTablesThrowWithTheirCode) {
    const std::string errorCase = "Func ToString(ErrorCase ecase), ecase is not valid.";
    ExpectDriverError([] { ToString(As<ErrorCase>(39)); }, ErrorCase::IncorrectArgumnts, errorCase);
    ExpectDriverError([] { ToString(As<ErrorCase>(-1)); }, ErrorCase::IncorrectArgumnts, errorCase);
    ExpectDriverError([] { ToString(As<Command>(66)); }, ErrorCase::CommandUnknown,
                      "Func ToString(Command value), value is not valid.");
    ExpectDriverError([] { ToString(As<ParamType>(26)); }, ErrorCase::ParamTypeUnknown,
                      "Func ToString(ParamType value), value is not valid.");
    ExpectDriverError([] { ToString(As<Option>(8)); }, ErrorCase::OptionUnknown,
                      "Func ToString(Option value), value is not valid.");
    ExpectDriverError([] { ToString(As<LogicDeviceParamType>(8)); }, ErrorCase::IncorrectArgumnts,
                      "Func ToString(LogicDeviceParamType value), value is not valid.");
    const std::string json = "Func ToJsonString(LogicDeviceParamType value), value is not valid.";
    ExpectDriverError([] { ToJsonString(LogicDeviceParamType::ID); }, ErrorCase::IncorrectArgumnts, json);
    ExpectDriverError([] { ToJsonString(As<LogicDeviceParamType>(8)); }, ErrorCase::IncorrectArgumnts, json);
}

// Both languages in full are checked through the exports; these are the texts that are easy to break.
TEST(DescriptionTest, TextsThatAreEasyToBreak) {
    EXPECT_EQ(Description(ErrorCase::OpenCheckValuesIsNotEq, kRussian),
              L"Не удалось подключиться. (Может быть, указана неверная модель или протокол)");
    EXPECT_EQ(Description(ErrorCase::NotAllParamsAreSetInLogicDevice, kEnglish),
              L"Not all parameters are set in logic device");

    // The Russian Boost texts mix in Latin letters: "Ta" at the start, "a" at the end.
    EXPECT_EQ(Description(ErrorCase::BoostTimeOut, kRussian), L"\x54\x61йм-аут Boost-\x61");
    EXPECT_EQ(Description(ErrorCase::BoostErrorUnknown, kRussian).back(), L'\x61');
}

TEST(DescriptionTest, MissingTextsAndUnknownLanguagesThrow) {
    const auto countTexts = [](std::int32_t language) {
        int count = 0;
        for (std::int32_t value = 0; value <= 38; ++value) {
            try {
                Description(As<ErrorCase>(value), language);
                ++count;
            } catch (const DriverError&) {
            }
        }
        return count;
    };
    EXPECT_EQ(countTexts(kRussian), 38);  // all but ErrorCaseUnknown
    EXPECT_EQ(countTexts(kEnglish), 37);  // also without OpenCheckValuesIsNotEq

    const std::string prefix = "Norvell::Balvex::Driver::defines, Description() the ";
    const auto code = ErrorCase::IncorrectArgumnts;
    ExpectDriverError([] { Description(ErrorCase::ErrorCaseUnknown, kRussian); }, code,
                      prefix + "error-case: 2 is not supported");
    ExpectDriverError([] { Description(ErrorCase::OpenCheckValuesIsNotEq, kEnglish); }, code,
                      prefix + "error-case: 27 is not supported");
    ExpectDriverError([] { Description(As<ErrorCase>(39), kEnglish); }, code,
                      prefix + "error-case: 39 is not supported");
    ExpectDriverError([] { Description(ErrorCase::Correct, 0); }, code, prefix + "language: 0 is not supported");
    // The language is checked first.
    ExpectDriverError([] { Description(ErrorCase::ErrorCaseUnknown, 3); }, code,
                      prefix + "language: 3 is not supported");
}

}  // namespace
