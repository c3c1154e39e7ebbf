#pragma once

#include <string>

namespace vistrel {

// Where the decoders get a picture file's bytes by its name. In the viewer a name is
// simply opened. The decoder helper may open nothing: each request lends it the one
// file the request is about, already open, and on the request's thread the file's name
// stands for that descriptor while the loan lasts. Descriptors handed out for one loan
// share a file position, so every reader reads with pread at offsets of its own.
class SourceFiles {
  public:
    // A new descriptor for reading the regular file `path`, opened without blocking on
    // a pipe; the caller closes it. -1, with errno set, when there is none to be had.
    static int openRegular(const std::string& path);

    // From now on, only lent names open in this process: a decoder that asks for any
    // other file is refused as if it did not exist.
    static void openOnlyWhatIsLent();

    // While it lives, `path` opens on this thread as a copy of `descriptor`, which
    // stays the lender's.
    class Loan {
      public:
        Loan(std::string path, int descriptor);
        ~Loan();
        Loan(const Loan&) = delete;
        Loan& operator=(const Loan&) = delete;
    };
};

} // namespace vistrel
