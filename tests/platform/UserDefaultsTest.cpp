#include "platform/InMemoryUserDefaults.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace plovane;

TEST(UserDefaultsCoercion, AbsentValuesReadAsZeroFalseAndNothing)
{
    InMemoryUserDefaults d;
    EXPECT_EQ(d.doubleForKey("k"), 0.0);
    EXPECT_EQ(d.integerForKey("k"), 0);
    EXPECT_FALSE(d.boolForKey("k"));
    EXPECT_FALSE(d.stringForKey("k").has_value());
    EXPECT_FALSE(d.stringArrayForKey("k").has_value());
    EXPECT_FALSE(d.object("k").has_value());
}

TEST(UserDefaultsCoercion, NumbersFromBoolsAndStrings)
{
    InMemoryUserDefaults d;
    d.set("b", true);
    d.set("s", "0.7");
    d.set("junk", "abc");
    d.set("arr", UserDefaults::Value::array({1}));
    d.set("i", 42);
    EXPECT_EQ(d.doubleForKey("b"), 1.0);
    EXPECT_DOUBLE_EQ(d.doubleForKey("s"), 0.7);
    EXPECT_EQ(d.doubleForKey("junk"), 0.0);
    EXPECT_EQ(d.doubleForKey("arr"), 0.0);
    EXPECT_EQ(d.doubleForKey("i"), 42.0);
    d.set("neg", -2.9);
    EXPECT_EQ(d.integerForKey("neg"), -2);
    d.set("nan", std::numeric_limits<double>::quiet_NaN());
    EXPECT_TRUE(std::isnan(d.doubleForKey("nan")));
}

TEST(UserDefaultsCoercion, BoolsFromNumbersAndStrings)
{
    InMemoryUserDefaults d;
    d.set("one", 1);
    d.set("zero", 0.0);
    d.set("yes", "YES");
    d.set("True", "True");
    d.set("two", "2");
    d.set("no", "no");
    d.set("obj", UserDefaults::Value::object());
    EXPECT_TRUE(d.boolForKey("one"));
    EXPECT_FALSE(d.boolForKey("zero"));
    EXPECT_TRUE(d.boolForKey("yes"));
    EXPECT_TRUE(d.boolForKey("True"));
    EXPECT_TRUE(d.boolForKey("two"));
    EXPECT_FALSE(d.boolForKey("no"));
    EXPECT_FALSE(d.boolForKey("obj"));
}

TEST(UserDefaultsCoercion, StringsAndStringArrays)
{
    InMemoryUserDefaults d;
    d.set("n", 3);
    d.set("f", 2.5);
    d.set("b", true);
    d.set("list", UserDefaults::Value::array({"a", "b"}));
    d.set("mixed", UserDefaults::Value::array({"a", true}));
    EXPECT_EQ(d.stringForKey("n"), "3");
    EXPECT_EQ(d.stringForKey("f"), "2.5");
    EXPECT_FALSE(d.stringForKey("b").has_value());
    EXPECT_EQ(d.stringArrayForKey("list"), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(d.stringArrayForKey("mixed").has_value());
    EXPECT_FALSE(d.stringArrayForKey("n").has_value());
}

TEST(InMemoryUserDefaults, RecordsWritesInOrderAndNullRemoves)
{
    InMemoryUserDefaults d;
    d.setBool("a", true);
    d.setDouble("b", 1.5);
    d.set("a", UserDefaults::Value());
    ASSERT_EQ(d.writes().size(), 3u);
    EXPECT_EQ(d.writes()[0].first, "a");
    EXPECT_EQ(d.writes()[1].first, "b");
    EXPECT_TRUE(d.writes()[2].second.is_null());
    EXPECT_FALSE(d.contains("a"));
}
