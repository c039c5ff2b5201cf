// Writes the arguments after the first one into the file named by the first one, each followed by
// a NUL byte, exactly as the C runtime handed them to main. Tests start it to see what a command
// line built by the tool turns into on the other side.

#include <string>

#include "platform/atomic_file.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string content;
  for (int i = 2; i < argc; ++i) {
    content += argv[i];
    content += '\0';
  }
  std::string reason;
  return vsm::WriteFileAtomically(argv[1], content, &reason,
                                  vsm::AtomicFileWriter::Durability::cache, vsm::AtLink::replace,
                                  /*journal=*/nullptr)
             ? 0
             : 1;
}
