#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <kalo_toolkit/number_text.hpp>

using namespace kalo_toolkit::util;

namespace {

std::string viaStream(double v) {
  std::ostringstream s;
  s.imbue(std::locale::classic());
  s.precision(6);
  s << v;
  return s.str();
}

std::string text(double v) {
  std::string out;
  EXPECT_TRUE(to_string(out, v));
  return out;
}

std::string arrayText(std::vector<double> v) {
  std::string out;
  EXPECT_TRUE(to_string(out, v.data(), v.size()));
  return out;
}

// Decimal comma and '.' digit groups: what a German desktop locale gives.
struct CommaDecimal : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

}  // namespace

TEST(NumberTextWrite, SixSignificantDigitsInDefaultFormat) {
  EXPECT_EQ(text(0.1 + 0.2), "0.3");
  EXPECT_EQ(text(100000.0), "100000");
  EXPECT_EQ(text(1000000.0), "1e+06");
  EXPECT_EQ(text(1234567.0), "1.23457e+06");
  EXPECT_EQ(text(-0.000012345678), "-1.23457e-05");
  EXPECT_EQ(text(1e-20), "1e-20");
  EXPECT_EQ(text(2.0), "2");
  EXPECT_EQ(text(0.0001), "0.0001");
  EXPECT_EQ(text(9.999995), "10");  // the double lies just above the tie
  EXPECT_EQ(text(9.999994), "9.99999");
  EXPECT_EQ(text(999999.5), "1e+06");
  EXPECT_EQ(text(-0.0), "-0");
}

// Texts that are not files (a script's getters, reports) show non-finite values
// as the stream does; the file writers refuse them (xml_file_writer_test).
TEST(NumberTextWrite, NonFiniteValuesAreSpelledLikeTheStream) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double v : {inf, -inf, nan, -nan}) EXPECT_EQ(text(v), viaStream(v));
  EXPECT_EQ(text(-inf), "-inf");
  std::string out;
  EXPECT_TRUE(to_string(out, std::numeric_limits<double>::max()));
  EXPECT_EQ(out, "1.79769e+308");
}

// The writer formats with std::to_chars; it must give the stream's text for
// every finite double.
TEST(NumberTextWrite, SameTextAsClassicStreamOverManyValues) {
  using L = std::numeric_limits<double>;
  std::vector<double> values = {0.0,      -0.0,     1e-5,     0.0001,      9.999995,     9.9999949999,
                                999999.5, 999999.4, 1e+06,    1e+05,       123456.5,     1.0000005,
                                2.5e-5,   L::min(), L::max(), L::lowest(), L::epsilon(), L::denorm_min()};
  // Rounding boundaries at every decimal exponent: x.xxxxx5 and its neighbours.
  for (int e = -30; e <= 30; ++e) {
    const double b = 9.999995 * std::pow(10.0, e);
    values.push_back(b);
    values.push_back(std::nextafter(b, 0.0));
    values.push_back(std::nextafter(b, 1e300));
    const double p = std::pow(10.0, e);
    values.push_back(p);
    values.push_back(std::nextafter(p, 0.0));
    values.push_back(1.234565 * p);
  }
  std::mt19937_64 rng(20240611);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-320, 308);
  for (int i = 0; i < 200000; ++i) {
    const double v = mantissa(rng) * std::pow(10.0, exponent(rng));
    if (std::isfinite(v)) values.push_back(i % 2 ? v : -v);
  }
  // Raw bit patterns cover every binade; masked ones are subnormal.
  for (int i = 0; i < 200000; ++i) {
    const uint64_t bits = i % 100 ? rng() : rng() & ((uint64_t{1} << 52) - 1);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    if (std::isfinite(v)) values.push_back(v);
  }
  size_t mismatches = 0;
  for (double v : values) {
    if (text(v) != viaStream(v) && ++mismatches <= 5) {
      ADD_FAILURE() << "value " << std::hexfloat << v << ": " << text(v) << " vs " << viaStream(v);
    }
  }
  EXPECT_EQ(mismatches, 0u) << "of " << values.size() << " values";
}

TEST(NumberTextWrite, Integers) {
  std::string out;
  for (int v : {0, -42, 1234567, std::numeric_limits<int>::min()}) {
    ASSERT_TRUE(to_string(out, v));
    EXPECT_EQ(out, std::to_string(v));
  }
}

TEST(NumberTextWrite, ArraysAreCleanedRelativeToTheLargestValue) {
  EXPECT_EQ(arrayText({1e-13, 1, 0}), "0,1,0");
  EXPECT_EQ(arrayText({1e-13, 1e-13}), "1e-13,1e-13");
  EXPECT_EQ(arrayText({1e-30, 1e-20}), "0,1e-20");
  EXPECT_EQ(arrayText({-1e-13, -1}), "0,-1");
  EXPECT_EQ(arrayText({0.5}), "0.5");
  EXPECT_EQ(arrayText({}), "");
  // Single values are never cleaned.
  EXPECT_EQ(text(1e-30), "1e-30");
  // The caller's array is left as it was.
  double v[2] = {1e-13, 1};
  std::string out;
  ASSERT_TRUE(to_string(out, v, 2));
  EXPECT_EQ(v[0], 1e-13);
}

TEST(NumberTextWrite, ZeroOutSmallValsUsesStrictComparison) {
  double v[4] = {1e-12, 9.99e-13, -5.0, 1e300};
  s_zeroOutSmallVals(v, 4, 1e-12);  // limit 1e300 * 1e-12 = 1e288
  EXPECT_EQ(v[0], 0.0);
  EXPECT_EQ(v[3], 1e300);
  double w[3] = {1.0, 1e-12, 0.999e-12};
  s_zeroOutSmallVals(w, 3, 1e-12);  // limit exactly 1e-12: equal stays
  EXPECT_EQ(w[1], 1e-12);
  EXPECT_EQ(w[2], 0.0);
  s_zeroOutSmallVals(nullptr, 0, 1e-12);
}

TEST(NumberTextWrite, MatrixTextIsRowByRowFromColumnStorage) {
  const double m2[4] = {1, 2, 3, 4};
  const double id[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double m23[6] = {1, 4, 2, 5, 3e-14, 6};  // 2 rows, 3 columns, cleaned
  const struct {
    const double* m;
    int rows, cols;
    const char* text;
  } cases[] = {{m2, 2, 2, "[1,3;2,4]"}, {id, 3, 3, "[1,0,0;0,1,0;0,0,1]"}, {m23, 2, 3, "[1,2,0;4,5,6]"}};
  for (const auto& c : cases) {
    std::string out;
    ASSERT_TRUE(to_string(out, c.m, c.rows, c.cols));
    EXPECT_EQ(out, c.text);
  }
}

TEST(NumberTextWrite, MissingArrayFailsAndKeepsOutput) {
  std::string out = "old";
  EXPECT_FALSE(to_string(out, static_cast<const double*>(nullptr), 3));
  EXPECT_FALSE(to_string(out, nullptr, 2, 2));
  EXPECT_EQ(out, "old");
}

// A failed read leaves the target as it was.
TEST(NumberTextRead, OneNumber) {
  const struct {
    const char* text;
    bool ok;
    double value;
  } doubles[] = {
      {"1.5abc", true, 1.5},    {" \t\n-2.25e3", true, -2250.0},
      {"1e-310", true, 1e-310},  // subnormal
      {"abc", false, 7},        {"", false, 7},
      {"1e400", false, 7},  // out of range
      {"1.5e", false, 7},   // incomplete exponent
      {"nan", false, 7},        {"inf", false, 7},
      {"-inf", false, 7},  // never written, never read
  };
  for (const auto& c : doubles) {
    double v = 7;
    EXPECT_EQ(from_string(v, c.text), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
  // Integers keep the low 32 bits of what fits in 64.
  const struct {
    const char* text;
    bool ok;
    int value;
  } ints[] = {{"12abc", true, 12},
              {"-7", true, -7},
              {"4294967297", true, 1},  // 2^32 + 1
              {"2147483648", true, std::numeric_limits<int>::min()},
              {"abc", false, 5},
              {"99999999999999999999", false, 5}};  // beyond 64 bits
  for (const auto& c : ints) {
    int v = 5;
    EXPECT_EQ(from_string(v, c.text), c.ok) << c.text;
    EXPECT_EQ(v, c.value) << c.text;
  }
}

// Reads `n` values into slots preset to -1; failures keep the values read before them.
TEST(CommaReader, ReadsSeparatedValuesAndRejectsMisplacedCommas) {
  const struct {
    size_t n;
    const char* text;
    bool ok;
    std::vector<double> slots;  // empty: not checked
  } cases[] = {
      {3, "1,2,3", true, {1, 2, 3}},
      {3, "4, 5, 6", true, {4, 5, 6}},  // blanks after commas are skipped
      {3, "1,2,3,4", true, {1, 2, 3}},  // the rest ends up in the last read
      {1, "8,9", true, {8}},
      {3, "7,x,9", false, {7, -1, -1}},
      {3, "5,6,", false, {5, -1, -1}},  // trailing comma
      {3, "1,2", false, {}},
      {3, ",1,2", false, {}},
      {3, "1,2,", false, {}},
      {3, "1,,2", false, {}},
      {3, "", false, {}},
  };
  for (const auto& c : cases) {
    std::vector<double> slots(c.n, -1);
    EXPECT_EQ(from_string(slots.data(), c.n, c.text), c.ok) << c.text;
    if (!c.slots.empty()) {
      EXPECT_EQ(slots, c.slots) << c.text;
    }
  }
  double v = 3;
  EXPECT_FALSE(from_string(&v, 0, "1"));
  EXPECT_FALSE(from_string(static_cast<double*>(nullptr), 2, "1,2"));
  EXPECT_EQ(v, 3);
}

// A host process may set a global locale with a decimal comma; the file texts
// must not change with it, also for streams first used after the change.
TEST(NumberTextLocale, GlobalCommaLocaleChangesNothing) {
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimal));
  {
    std::ostringstream probe;
    probe << 1234.5;
    EXPECT_EQ(probe.str(), "1.234,5");  // the locale is really in effect
  }
  auto check = [] {
    EXPECT_EQ(text(1234.5), "1234.5");
    EXPECT_EQ(arrayText({1.5, 2.25}), "1.5,2.25");
    std::string out;
    EXPECT_TRUE(to_string(out, 1234567));
    EXPECT_EQ(out, "1234567");
    double d = 0;
    EXPECT_TRUE(from_string(d, "1.234,5"));
    EXPECT_EQ(d, 1.234);
    double v[2] = {0, 0};
    EXPECT_TRUE(from_string(v, 2, "1.5,2.5"));
    EXPECT_EQ(v[0], 1.5);
    EXPECT_EQ(v[1], 2.5);
    int i = 0;
    EXPECT_TRUE(from_string(i, "1.234"));
    EXPECT_EQ(i, 1);
  };
  check();
  std::thread fresh(check);  // its reader stream is created under the comma locale
  fresh.join();
  std::locale::global(previous);
}
