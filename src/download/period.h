// Entry of the logging period: when logging started and when it ended.
#pragma once

#include <cstdint>

int get_month();
int get_day();
int get_year();
void get_date(int* mm, int* dd, int* yy, const char* mess);
void get_time(const char* mess, int* h, int* m);

struct Period {
  std::int64_t time1;  // start, seconds since 1970-01-01 00:00 UTC
  std::int64_t span;   // end minus start, never negative
};

// Asks for the start and the end until the end is not before the start.
Period get_period();
