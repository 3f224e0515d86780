#include "app/configuration_check.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

PlistValue dict(PlistDictionary entries) { return PlistValue::dictionary(std::move(entries)); }
PlistValue str(const char* s) { return PlistValue::string(s); }

TEST(ConfigurationCheckTest, AcceptsWellTypedAndUnknownKeys) {
  PlistDictionary configuration{
      {"locate", dict({{"fixedPaths", PlistValue::array({str("/a")})},
                       {"showUI", PlistValue::boolean(false)},
                       {"somethingElse", PlistValue::integer(3)}})},
      {"validate",
       dict({{"keyValuesPair", PlistValue::array({dict({{"IsRequired", PlistValue::boolean(true)},
                                                        {"keyValue", PlistValue::integer(1)},
                                                        {"keyType", str("SINGLE")}})})}})},
      {"targetUpdateRevision", PlistValue::real(4.5)},
      {"ROZUpdaterAppID", str("id")},
      {"unknown", PlistValue::data({1, 2})},
  };
  EXPECT_EQ(checkConfigurationTypes(configuration), std::nullopt);
  EXPECT_EQ(checkConfigurationTypes({}), std::nullopt);
}

TEST(ConfigurationCheckTest, NamesTheFirstWrongTypedKey) {
  struct Case {
    PlistDictionary configuration;
    std::string key;
  };
  const Case cases[] = {
      {{{"locate", str("x")}}, "locate"},
      {{{"validate", PlistValue::array({})}}, "validate"},
      {{{"targetUpdateRevision", str("4")}}, "targetUpdateRevision"},
      {{{"targetUpdateRevision", PlistValue::boolean(true)}}, "targetUpdateRevision"},
      {{{"ROZVersionNumber", PlistValue::integer(9)}}, "ROZVersionNumber"},
      {{{"ROZUpdaterAppID", PlistValue::integer(9)}}, "ROZUpdaterAppID"},
      {{{"showProgress", str("YES")}}, "showProgress"},
      {{{"locate", dict({{"fixedPaths", str("/a")}})}}, "locate.fixedPaths"},
      {{{"locate", dict({{"fixedPaths", PlistValue::array({PlistValue::integer(1)})}})}},
       "locate.fixedPaths"},
      {{{"locate", dict({{"ROZPlistPartialPath", PlistValue::boolean(true)}})}},
       "locate.ROZPlistPartialPath"},
      {{{"validate", dict({{"keyValuesPair", dict({})}})}}, "validate.keyValuesPair"},
      {{{"validate", dict({{"keyValuesPair", PlistValue::array({str("rule")})}})}},
       "validate.keyValuesPair[0]"},
      {{{"validate",
         dict({{"keyValuesPair",
                PlistValue::array({dict({}), dict({{"keyType", PlistValue::integer(1)}})})}})}},
       "validate.keyValuesPair[1].keyType"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    auto error = checkConfigurationTypes(c.configuration);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->key, c.key);
  }
}

TEST(ConfigurationCheckTest, DescribesTheErrorInOneLogLine) {
  EXPECT_EQ(describe({"locate.fixedPaths", "an array of strings"}),
            "FATAL ERROR:  configuration.plist: the value of \"locate.fixedPaths\" must be an "
            "array of strings.");
}

}  // namespace
}  // namespace updater
