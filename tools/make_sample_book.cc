// Writes the bundled sample book (three IDML chapters) into a folder:
//   make_sample_book [FOLDER]      (default: samples/book of the source tree)

#include <cstdio>
#include <string>

#include "automation/idml/idml_writer.h"
#include "automation/idml/sample_book.h"
#include "base/file.h"

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : std::string(MIRUNE_SOURCE_DIR) + "/samples/book";
  if (!mirune::FolderExists(folder)) {
    const mirune::Status created = mirune::CreateFolder(folder);
    if (!created.ok()) {
      std::fprintf(stderr, "%s\n", created.ToString().c_str());
      return 1;
    }
  }
  auto chapters = mirune::idml::BuildSampleBook(folder);
  if (!chapters.ok()) {
    std::fprintf(stderr, "%s\n", chapters.message().c_str());
    return 1;
  }
  for (const mirune::idml::SampleChapter& chapter : *chapters) {
    auto bytes = mirune::idml::WriteNewIdmlPackage(chapter.document);
    if (!bytes.ok()) {
      std::fprintf(stderr, "%s: %s\n", chapter.file_name.c_str(), bytes.message().c_str());
      return 1;
    }
    const std::string path = mirune::JoinPath(folder, chapter.file_name);
    const mirune::Status written = mirune::WriteFileAtomic(path, *bytes);
    if (!written.ok()) {
      std::fprintf(stderr, "%s\n", written.ToString().c_str());
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}
