#include "engine/store/StoreIo.h"

#include "engine/core/Exceptions.h"

#include <algorithm>
#include <cstring>

namespace nv {

void StoreWriter::U16(uint16_t v)
{
    out_.push_back(static_cast<char>(v));
    out_.push_back(static_cast<char>(v >> 8));
}

void StoreWriter::U32(uint32_t v)
{
    for (int i = 0; i < 4; ++i) out_.push_back(static_cast<char>(v >> (8 * i)));
}

void StoreWriter::String(std::string_view s)
{
    U32(static_cast<uint32_t>(s.size()));
    out_.append(s);
}

StoreReader::StoreReader(CFile& file, size_t bufferSize)
    : file_(&file), pos_(file.GetPosition()), end_(file.GetLength()), buf_(new char[bufferSize]),
      bufData_(buf_.get()), bufSize_(bufferSize)
{
    if (end_ < pos_) end_ = pos_;
    bufStart_ = pos_;
}

StoreReader::StoreReader(CFile& file, uint64_t base, size_t bufferSize)
    : file_(&file), base_(base), pos_(base), end_(file.GetLength()), buf_(new char[bufferSize]),
      bufData_(buf_.get()), bufSize_(bufferSize)
{
    if (end_ < pos_) end_ = pos_;
    bufStart_ = pos_;
}

StoreReader::StoreReader(std::string_view bytes)
    : mem_(bytes), end_(bytes.size()), bufData_(bytes.data()), bufLen_(bytes.size())
{
}

void StoreReader::Need(uint64_t n) const
{
    if (n > end_ - pos_) throw CArchiveException(CArchiveException::endOfFile, file_ ? file_->GetFilePath() : "");
}

void StoreReader::Take(void* out, size_t n)
{
    Need(n);
    char* dst = static_cast<char*>(out);
    if (!file_) {
        std::memcpy(dst, mem_.data() + pos_, n);
        pos_ += n;
        return;
    }
    while (n > 0) {
        if (pos_ < bufStart_ || pos_ >= bufStart_ + bufLen_) {
            if (file_->GetPosition() != pos_) file_->Seek(static_cast<int64_t>(pos_), CFile::begin);
            bufStart_ = pos_;
            bufLen_ = file_->Read(buf_.get(), static_cast<size_t>(std::min<uint64_t>(bufSize_, end_ - pos_)));
            // The file shrank under us: a truncated file.
            if (bufLen_ == 0) throw CArchiveException(CArchiveException::endOfFile, file_->GetFilePath());
        }
        const size_t off = static_cast<size_t>(pos_ - bufStart_);
        const size_t k = std::min(n, bufLen_ - off);
        std::memcpy(dst, buf_.get() + off, k);
        dst += k;
        n -= k;
        pos_ += k;
    }
}

uint16_t StoreReader::SlowU16()
{
    unsigned char b[2];
    Take(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

uint32_t StoreReader::SlowU32()
{
    unsigned char b[4];
    Take(b, 4);
    return b[0] | (uint32_t{b[1]} << 8) | (uint32_t{b[2]} << 16) | (uint32_t{b[3]} << 24);
}

std::string StoreReader::Bytes(uint64_t n)
{
    Need(n);
    std::string s(static_cast<size_t>(n), '\0');
    Take(s.data(), s.size());
    return s;
}

std::string StoreReader::String()
{
    return Bytes(U32());
}

void StoreReader::Skip(uint64_t n)
{
    Need(n);
    pos_ += n;
}

size_t StoreReader::ReadBlock(void* out, size_t n)
{
    const size_t k = static_cast<size_t>(std::min<uint64_t>(n, end_ - pos_));
    Take(out, k);
    return k;
}

bool StoreReader::Seek(uint64_t pos)
{
    if (pos > end_ - base_) return false;
    pos_ = base_ + pos;
    return true;
}

} // namespace nv
