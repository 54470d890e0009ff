// The one error of the object archive: thrown for damaged input, unknown classes, objects that
// cannot be written, and files that cannot be opened or written.
#pragma once

#include <stdexcept>
#include <string>

namespace tavro {

class ArchiveError : public std::runtime_error {
public:
    enum class Cause {
        EndOfFile,    // the data ends before a value is complete, or a count exceeds what is left
        BadClass,     // unregistered or unreadable class name, or an object of an unexpected class
        BadIndex,     // an object or class index that refers to nothing usable; counter overflow
        BadSchema,    // a stored schema that differs for a class that is not versionable
        NotSupported, // writing an object whose class has no archive form
        OutOfMemory,  // an object could not be created, or objects nest too deeply
        FileError,    // the file could not be opened, written, flushed or renamed
    };

    ArchiveError(Cause cause, const std::string& message)
        : std::runtime_error(message), cause_(cause) {}

    Cause GetCause() const { return cause_; }

private:
    Cause cause_;
};

// A short name of the cause ("end of file", "bad class", ...), for messages.
const char* ArchiveCauseName(ArchiveError::Cause cause);

} // namespace tavro
