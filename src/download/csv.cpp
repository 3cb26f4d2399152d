#include "download/csv.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <system_error>

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string lastError() { return std::strerror(errno); }

}  // namespace

std::optional<std::string> csvRow(std::int64_t t, std::uint8_t value) {
  const auto tt = static_cast<std::time_t>(t);
  const std::tm* local = std::localtime(&tt);
  if (!local) return std::nullopt;
  char buffdate[128];
  if (std::strftime(buffdate, sizeof buffdate, "%Y-%m-%d %H:%M:%S", local) == 0)
    return std::nullopt;
  return std::string(buffdate) + ", " + std::to_string(value) + "\r\n";
}

std::optional<std::string> writeCsv(const std::string& path,
                                    const std::vector<std::uint8_t>& readings, RowClock clock) {
  const std::string part = path + ".part";
  errno = 0;
  File out(std::fopen(part.c_str(), "wb"));
  if (!out) return lastError();
  auto fail = [&](std::string reason) {
    out.reset();
    std::remove(part.c_str());
    return reason;
  };

  for (std::uint8_t value : readings) {
    auto row = csvRow(nextRowTime(clock), value);
    if (!row) return fail("a row's time is beyond what this computer's clock can represent");
    if (std::fwrite(row->data(), 1, row->size(), out.get()) != row->size())
      return fail(lastError());
  }
  if (std::fflush(out.get()) != 0 || std::ferror(out.get())) return fail(lastError());
  if (std::fclose(out.release()) != 0) return fail(lastError());

  std::error_code ec;
  std::filesystem::rename(part, path, ec);
  if (ec) return fail(ec.message());
  return std::nullopt;
}
