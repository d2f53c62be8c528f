#pragma once
// Camera JPEG files made in code: a real EXIF layout (IFD0, EXIF IFD with a maker note and
// an interoperability directory, IFD1 with a thumbnail) in either byte order, with a maker
// note whose own directory points at its data by offsets counted from the block's start,
// as several makers' notes do.
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct TCameraLayout {
    const char* Maker;
    bool Motorola;
    bool MakerNoteLast; // the maker note after the interoperability directory
};

class TTiffBuilder {
public:
    explicit TTiffBuilder(bool motorola) : FMotorola(motorola) {}
    std::vector<std::uint8_t> Bytes;

    std::size_t Here() const { return Bytes.size(); }
    void U16(std::uint16_t v) { Bytes.resize(Bytes.size() + 2); Put16(Bytes.size() - 2, v); }
    void U32(std::uint32_t v) { Bytes.resize(Bytes.size() + 4); Put32(Bytes.size() - 4, v); }
    void Raw(const std::string& s) { Bytes.insert(Bytes.end(), s.begin(), s.end()); }
    void Put16(std::size_t at, std::uint16_t v)
    {
        Bytes[at + (FMotorola ? 0 : 1)] = static_cast<std::uint8_t>(v >> 8);
        Bytes[at + (FMotorola ? 1 : 0)] = static_cast<std::uint8_t>(v);
    }
    void Put32(std::size_t at, std::uint32_t v)
    {
        Put16(at + (FMotorola ? 0 : 2), static_cast<std::uint16_t>(v >> 16));
        Put16(at + (FMotorola ? 2 : 0), static_cast<std::uint16_t>(v));
    }
    std::uint32_t Get32(std::size_t at) const
    {
        auto g16 = [&](std::size_t a) {
            return FMotorola ? std::uint32_t(Bytes[a] << 8 | Bytes[a + 1]) : std::uint32_t(Bytes[a + 1] << 8 | Bytes[a]);
        };
        return FMotorola ? g16(at) << 16 | g16(at + 2) : g16(at + 2) << 16 | g16(at);
    }
    // An entry whose 4-byte value field is returned for patching.
    std::size_t Entry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value = 0)
    {
        U16(tag);
        U16(type);
        U32(count);
        const std::size_t at = Here();
        if (type == 3 && count == 1) {
            U16(static_cast<std::uint16_t>(value));
            U16(0);
        } else {
            U32(value);
        }
        return at;
    }

private:
    bool FMotorola;
};

struct TCameraExif {
    std::vector<std::uint8_t> Tiff;
    std::size_t OrientationValue = 0; // where IFD0's orientation value sits
    std::size_t Ifd1Link = 0;         // where IFD0's next-directory offset sits
    std::size_t MakerNotePointer = 0; // where the maker note's own block-relative offset sits
    bool Motorola = false;
};

inline TCameraExif CameraExif(const TCameraLayout& layout, std::uint16_t orientation)
{
    TTiffBuilder b(layout.Motorola);
    b.Raw(layout.Motorola ? "MM" : "II");
    b.U16(42);
    b.U32(8);
    // IFD0: make, model, orientation, x resolution, EXIF pointer.
    b.U16(5);
    const std::string make = std::string(layout.Maker) + std::string(1, '\0');
    const std::size_t makeAt = b.Entry(0x010F, 2, static_cast<std::uint32_t>(make.size()));
    const std::size_t modelAt = b.Entry(0x0110, 2, 12);
    TCameraExif result;
    result.OrientationValue = b.Entry(0x0112, 3, 1, orientation);
    const std::size_t resolutionAt = b.Entry(0x011A, 5, 1);
    const std::size_t exifAt = b.Entry(0x8769, 4, 1);
    result.Ifd1Link = b.Here();
    b.U32(0);
    b.Put32(makeAt, static_cast<std::uint32_t>(b.Here()));
    b.Raw(make);
    b.Put32(modelAt, static_cast<std::uint32_t>(b.Here()));
    b.Raw(std::string("Model 24 II") + std::string(1, '\0'));
    b.Put32(resolutionAt, static_cast<std::uint32_t>(b.Here()));
    b.U32(300);
    b.U32(1);
    // EXIF IFD: date taken, maker note, interoperability pointer.
    b.Put32(exifAt, static_cast<std::uint32_t>(b.Here()));
    b.U16(3);
    const std::size_t dateAt = b.Entry(0x9003, 2, 20);
    const std::size_t noteAt = b.Entry(0x927C, 7, 0);
    const std::size_t interopAt = b.Entry(0xA005, 4, 1);
    b.U32(0);
    b.Put32(dateAt, static_cast<std::uint32_t>(b.Here()));
    b.Raw(std::string("2024:05:17 10:42:07") + std::string(1, '\0'));
    const auto writeInterop = [&] {
        b.Put32(interopAt, static_cast<std::uint32_t>(b.Here()));
        b.U16(1);
        b.Entry(0x0001, 2, 4, 0);
        b.Bytes[b.Here() - 4] = 'R';
        b.Bytes[b.Here() - 3] = '9';
        b.Bytes[b.Here() - 2] = '8';
        b.U32(0);
    };
    const auto writeMakerNote = [&] {
        // The maker's own directory: one entry pointing (from the block's start) at the
        // lens data that follows it.
        const std::size_t start = b.Here();
        b.Raw(std::string(layout.Maker).substr(0, 4) + std::string(2, '\0'));
        b.U16(1);
        const std::size_t lensAt = b.Entry(0x0095, 2, 10);
        b.U32(0);
        b.Put32(lensAt, static_cast<std::uint32_t>(b.Here()));
        result.MakerNotePointer = lensAt;
        b.Raw(std::string("LENS-DATA") + std::string(1, '\0'));
        b.Put32(noteAt - 4, static_cast<std::uint32_t>(b.Here() - start)); // the count
        b.Put32(noteAt, static_cast<std::uint32_t>(start));
    };
    if (layout.MakerNoteLast) {
        writeInterop();
        writeMakerNote();
    } else {
        writeMakerNote();
        writeInterop();
    }
    // IFD1: a thumbnail.
    b.Put32(result.Ifd1Link, static_cast<std::uint32_t>(b.Here()));
    b.U16(3);
    b.Entry(0x0103, 3, 1, 6);
    const std::size_t thumbAt = b.Entry(0x0201, 4, 1);
    b.Entry(0x0202, 4, 1, 6);
    b.U32(0);
    b.Put32(thumbAt, static_cast<std::uint32_t>(b.Here()));
    b.Bytes.insert(b.Bytes.end(), {0xFF, 0xD8, 0x00, 0x00, 0xFF, 0xD9});
    result.Tiff = std::move(b.Bytes);
    result.Motorola = layout.Motorola;
    return result;
}

// The file with an APP1 EXIF segment holding tiff right after its SOI.
inline std::vector<std::uint8_t> WithExif(const std::vector<std::uint8_t>& jpeg, const std::vector<std::uint8_t>& tiff)
{
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    const std::size_t length = tiff.size() + 8;
    out.insert(out.end(), {0xFF, 0xE1, static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length), 'E', 'x', 'i', 'f', 0, 0});
    out.insert(out.end(), tiff.begin(), tiff.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

// The TIFF part of a file's APP1 EXIF segment, or nothing.
inline std::optional<std::vector<std::uint8_t>> ExifOf(const std::vector<std::uint8_t>& jpeg)
{
    std::size_t at = 2;
    while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF && jpeg[at + 1] != 0xDA) {
        const std::size_t length = static_cast<std::size_t>(jpeg[at + 2] << 8 | jpeg[at + 3]);
        if (jpeg[at + 1] == 0xE1 && length >= 8 && at + 2 + length <= jpeg.size() && std::memcmp(&jpeg[at + 4], "Exif\0\0", 6) == 0)
            return std::vector<std::uint8_t>(jpeg.begin() + static_cast<std::ptrdiff_t>(at + 10),
                                             jpeg.begin() + static_cast<std::ptrdiff_t>(at + 2 + length));
        at += 2 + length;
    }
    return std::nullopt;
}

const TCameraLayout CameraLayouts[] = {
    {"Kestrel", false, false},
    {"Orvik Optics", true, false},
    {"Alder", false, true},
    {"Tamsin", true, true},
};
