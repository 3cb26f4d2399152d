#include "download/period.h"

#include <climits>
#include <cstdio>
#include <ctime>
#include <optional>

#include "console.h"

namespace {

void ask(const char* mess, const char* question) {
  std::fputs(mess, stdout);
  std::fputs(question, stdout);
  std::fflush(stdout);
}

bool inRange(std::optional<int> value, int low, int high) {
  return value && *value >= low && *value <= high;
}

// Reads numbers until one lies in [low, high]; wrong answers are passed over silently.
int readInRange(int low, int high) {
  for (;;)
    if (auto value = askInt(); inRange(value, low, high)) return *value;
}

// Asks `question` under `mess` until the answer lies in [low, high].
int askInRange(const char* mess, const char* question, int low, int high) {
  for (;;) {
    ask(mess, question);
    if (auto value = askInt(); inRange(value, low, high)) return *value;
  }
}

// A moment typed in local time, or nothing when the time conversion cannot represent it.
std::optional<std::int64_t> toSeconds(int mm, int dd, int yy, int h, int m) {
  std::tm x{};
  x.tm_mon = mm - 1;
  x.tm_mday = dd;
  x.tm_year = yy - 1900;
  x.tm_hour = h;
  x.tm_min = m;
  x.tm_sec = 0;
  x.tm_isdst = -1;  // the conversion decides whether daylight saving applies
  const std::time_t t = std::mktime(&x);
  if (t == static_cast<std::time_t>(-1) || !std::localtime(&t)) return std::nullopt;
  return static_cast<std::int64_t>(t);
}

std::int64_t askMoment(const char* heading) {
  for (;;) {
    int mm = 0, dd = 0, yy = 0, h = 0, m = 0;
    get_date(&mm, &dd, &yy, heading);
    get_time("", &h, &m);
    if (auto t = toSeconds(mm, dd, yy, h, m)) return *t;
    std::fputs("That date is beyond what this computer's clock can represent; enter it again.\n",
               stdout);
    std::fflush(stdout);
  }
}

}  // namespace

int get_month() { return readInRange(1, 12); }
int get_day() { return readInRange(1, 31); }
int get_year() { return readInRange(2002, INT_MAX); }

void get_date(int* mm, int* dd, int* yy, const char* mess) {
  ask(mess, "\tMonth: \n> ");
  *mm = get_month();
  ask(mess, "\tDay: \n> ");
  *dd = get_day();
  ask(mess, "\tYear: \n> ");
  *yy = get_year();
}

void get_time(const char* mess, int* h, int* m) {
  const int hour = askInRange(mess, "\tHour (24 hour clock): \n> ", 0, 23);
  const int minute = askInRange(mess, "\tMinute: \n> ", 0, 59);
  *h = hour;
  *m = minute;
}

Period get_period() {
  for (;;) {
    const std::int64_t time1 = askMoment("Enter Starting\n");
    const std::int64_t time2 = askMoment("Enter Ending\n");
    if (time2 >= time1) return {time1, time2 - time1};
  }
}
