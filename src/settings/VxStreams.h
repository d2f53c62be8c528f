#pragma once
// Byte streams behind the structured data files: a file on disk or a block of memory.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

class TVxStream {
public:
    virtual ~TVxStream() = default;
    // Reads up to count bytes; returns how many were read.
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes count bytes; returns false when they could not all be written.
    virtual bool Write(const void* buffer, std::size_t count) = 0;
    // Moves to an absolute position; returns the position reached (never past the end).
    virtual std::uint64_t Seek(std::uint64_t position) = 0;
    virtual std::uint64_t Position() const = 0;
    virtual std::uint64_t Size() const = 0;
};

class TVxMemoryStream final : public TVxStream {
public:
    TVxMemoryStream() = default;
    explicit TVxMemoryStream(std::vector<std::uint8_t> bytes) : FBytes(std::move(bytes)) {}

    std::size_t Read(void* buffer, std::size_t count) override;
    bool Write(const void* buffer, std::size_t count) override;
    std::uint64_t Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return FPosition; }
    std::uint64_t Size() const override { return FBytes.size(); }

    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }

private:
    std::vector<std::uint8_t> FBytes;
    std::size_t FPosition = 0;
};

class TVxFileStream final : public TVxStream {
public:
    enum class TMode { Read, Create };
    TVxFileStream(const std::filesystem::path& path, TMode mode);

    bool IsOpen() const { return FFile.is_open(); }
    std::size_t Read(void* buffer, std::size_t count) override;
    bool Write(const void* buffer, std::size_t count) override;
    std::uint64_t Seek(std::uint64_t position) override;
    std::uint64_t Position() const override { return FPosition; }
    std::uint64_t Size() const override { return FSize; }
    bool Flush();

private:
    mutable std::fstream FFile;
    std::uint64_t FPosition = 0;
    std::uint64_t FSize = 0;
};
