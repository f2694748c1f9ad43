#include "exchange/writers/buffered_writer.hpp"

namespace kestrel {

std::string temporaryOutputPath(const std::string& path) { return path + ".part"; }

Status moveIntoPlace(FileSystem& fs, const std::string& temporary, const std::string& path) {
  if (Status s = fs.rename(temporary, path); !s) {
    (void)fs.remove(temporary);
    return Status::error(s.code(),
                         "'" + path + "': can not move the finished table into place: " + s.message());
  }
  return fs.syncFolder(path);
}

Status commitOutput(FileSystem& fs, const std::string& path, const std::vector<std::uint8_t>& bytes) {
  const std::string temporary = temporaryOutputPath(path);
  if (Status s = fs.writeFile(temporary, bytes); !s) {
    (void)fs.remove(temporary);
    return Status::error(s.code(), "'" + path + "': can not write the table: " + s.message());
  }
  return moveIntoPlace(fs, temporary, path);
}

}  // namespace kestrel
