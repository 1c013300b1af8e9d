#pragma once
// The exceptions of the class-library layer: a common base with a message,
// archive errors and file errors. Thrown and caught by value.
#include <cerrno>
#include <cstdint>
#include <exception>
#include <string>

namespace nv {

class CException : public std::exception {
public:
    ~CException() override = default;
    // The message to show (CP932 bytes).
    virtual std::string GetErrorMessage() const = 0;
    // What only the log holds beside the message (UTF-8); empty for most.
    virtual std::string LogDetail() const { return {}; }
    const char* what() const noexcept override;

protected:
    mutable std::string what_;
};

class CArchiveException : public CException {
public:
    enum Cause : int {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };

    explicit CArchiveException(Cause cause, std::string fileName = {})
        : m_cause(cause), m_strFileName(std::move(fileName)) {}

    Cause cause() const { return m_cause; }
    std::string GetErrorMessage() const override;

    Cause m_cause;
    std::string m_strFileName;
};

class CFileException : public CException {
public:
    enum Cause : int {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        badPath = 3,
        tooManyOpenFiles = 4,
        accessDenied = 5,
        invalidFile = 6,
        removeCurrentDir = 7,
        directoryFull = 8,
        badSeek = 9,
        hardIO = 10,
        sharingViolation = 11,
        lockViolation = 12,
        diskFull = 13,
        endOfFile = 14,
        notRegularFile = 15, // a folder (os error EISDIR), pipe, device or socket where a file was asked for
    };

    CFileException(Cause cause, int osError, std::string fileName)
        : m_cause(cause), m_lOsError(osError), m_strFileName(std::move(fileName)) {}

    // The cause an errno value stands for.
    static Cause ErrnoToCause(int err);
    static CFileException FromErrno(int err, std::string fileName)
    {
        return CFileException(ErrnoToCause(err), err, std::move(fileName));
    }
    // A folder where a file was asked for.
    static CFileException Folder(std::string fileName) { return FromErrno(EISDIR, std::move(fileName)); }
    [[noreturn]] static void ThrowErrno(int err, std::string fileName) { throw FromErrno(err, std::move(fileName)); }

    Cause cause() const { return m_cause; }
    std::string GetErrorMessage() const override;

    Cause m_cause;
    int m_lOsError;
    std::string m_strFileName; // native path, converted when shown
};

} // namespace nv
