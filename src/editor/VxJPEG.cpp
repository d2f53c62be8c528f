#include "editor/VxJPEG.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include <jpeglib.h>

#include "editor/VxExif.h"

namespace {

std::atomic<std::int64_t> GMaxPixels{std::int64_t{1} << 28};

// Far more scans than any encoder writes; a crafted progressive file could otherwise keep
// the decoder busy for minutes on a few kilobytes.
constexpr int MaxScans = 500;
// Larger files are not pictures this program can hold anyway.
constexpr std::uintmax_t MaxFileSize = std::uintmax_t{1} << 30;

// ---------------------------------------------------------------------------------------
// Error handling. libjpeg's error_exit must not return. It longjmps to the setjmp in
// Guarded, and every step run there is a lambda that creates no object with a destructor
// (only libjpeg calls, pointers and integers), so the jump skips no C++ cleanup. The
// libjpeg structures themselves belong to RAII objects made before the step and destroyed
// after it, whichever way it ended. All the libjpeg objects of one operation share one
// TErrors, so an error raised by any of them lands in the step that is running.

struct TErrors {
    jpeg_error_mgr Manager; // first: libjpeg hands back a pointer to it
    std::jmp_buf Jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TErrors*>(info->err)->Jump, 1);
}

void SilentMessage(j_common_ptr) {}

void LimitScans(j_common_ptr info)
{
    if (info->is_decompressor && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans)
        ErrorExit(info);
}

template <typename TStep>
bool Guarded(TErrors& errors, TStep&& step)
{
    if (setjmp(errors.Jump) != 0)
        return false;
    step();
    return true;
}

void InitErrors(TErrors& errors)
{
    jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = ErrorExit;
    // Warnings (a truncated stream, corrupt data) are not failures: the picture decodes
    // with what is there, as djpeg gives it.
    errors.Manager.output_message = SilentMessage;
}

std::size_t MemoryLimit()
{
    // Coefficients of a whole picture (about 2 bytes per sample, 3 samples) twice over,
    // plus slack for tables and markers.
    const std::uint64_t limit = static_cast<std::uint64_t>(GMaxPixels.load()) * 16 + (std::uint64_t{64} << 20);
    return static_cast<std::size_t>(std::min<std::uint64_t>(limit, static_cast<std::size_t>(-1) / 2));
}

class TDecompressor {
public:
    TDecompressor(TErrors& errors, std::span<const std::uint8_t> stream)
    {
        FInfo.err = &errors.Manager;
        FReady = Guarded(errors, [&] {
            jpeg_create_decompress(&FInfo);
            jpeg_mem_src(&FInfo, stream.data(), static_cast<unsigned long>(stream.size()));
        });
        FProgress.progress_monitor = LimitScans;
        FInfo.progress = &FProgress;
        if (FInfo.mem)
            FInfo.mem->max_memory_to_use = static_cast<long>(std::min<std::size_t>(MemoryLimit(), 0x7FFFFFFF));
    }
    ~TDecompressor() { jpeg_destroy_decompress(&FInfo); }
    TDecompressor(const TDecompressor&) = delete;
    TDecompressor& operator=(const TDecompressor&) = delete;

    bool Ready() const { return FReady; }
    jpeg_decompress_struct* operator->() { return &FInfo; }
    j_decompress_ptr Info() { return &FInfo; }

private:
    jpeg_decompress_struct FInfo{};
    jpeg_progress_mgr FProgress{};
    bool FReady = false;
};

// Compressed bytes go to a buffer of our own, grown with realloc. libjpeg's memory
// destination frees its first buffer when it grows but hands the new one to the caller only
// at the end, so an error in between leaves the caller a freed pointer and leaks the new
// buffer.
struct TDestination {
    jpeg_destination_mgr Manager; // first: libjpeg hands back a pointer to it
    unsigned char* Buffer = nullptr;
    std::size_t Size = 0;
    std::size_t Used = 0;
};

void InitDestination(j_compress_ptr info)
{
    auto* d = reinterpret_cast<TDestination*>(info->dest);
    if (!d->Buffer) {
        d->Buffer = static_cast<unsigned char*>(std::malloc(65536));
        if (!d->Buffer)
            ErrorExit(reinterpret_cast<j_common_ptr>(info));
        d->Size = 65536;
    }
    d->Manager.next_output_byte = d->Buffer;
    d->Manager.free_in_buffer = d->Size;
}

// Called when the buffer is full: it doubles, and writing goes on behind what is there.
boolean GrowDestination(j_compress_ptr info)
{
    auto* d = reinterpret_cast<TDestination*>(info->dest);
    const std::size_t size = d->Size * 2;
    auto* grown = size > d->Size ? static_cast<unsigned char*>(std::realloc(d->Buffer, size)) : nullptr;
    if (!grown)
        ErrorExit(reinterpret_cast<j_common_ptr>(info));
    d->Buffer = grown;
    d->Manager.next_output_byte = grown + d->Size;
    d->Manager.free_in_buffer = size - d->Size;
    d->Size = size;
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* d = reinterpret_cast<TDestination*>(info->dest);
    d->Used = d->Size - d->Manager.free_in_buffer;
}

class TCompressor {
public:
    explicit TCompressor(TErrors& errors)
    {
        FInfo.err = &errors.Manager;
        FReady = Guarded(errors, [&] { jpeg_create_compress(&FInfo); });
        FDestination.Manager.init_destination = InitDestination;
        FDestination.Manager.empty_output_buffer = GrowDestination;
        FDestination.Manager.term_destination = TermDestination;
        FInfo.dest = &FDestination.Manager;
    }
    ~TCompressor()
    {
        jpeg_destroy_compress(&FInfo);
        std::free(FDestination.Buffer);
    }
    TCompressor(const TCompressor&) = delete;
    TCompressor& operator=(const TCompressor&) = delete;

    bool Ready() const { return FReady; }
    jpeg_compress_struct* operator->() { return &FInfo; }
    j_compress_ptr Info() { return &FInfo; }
    std::vector<std::uint8_t> Bytes() const { return {FDestination.Buffer, FDestination.Buffer + FDestination.Used}; }

private:
    jpeg_compress_struct FInfo{};
    TDestination FDestination{};
    bool FReady = false;
};

// ---------------------------------------------------------------------------------------
// Facts about a stream, read from its header.

struct TFacts {
    std::int32_t Width = 0, Height = 0;
    std::int32_t BlockWidth = 8, BlockHeight = 8;
    std::int32_t Quality = -1;
    std::int32_t ResolutionX = 0, ResolutionY = 0;
    J_COLOR_SPACE ColorSpace = JCS_UNKNOWN;
};

// JFIF density unit 1 is dots per inch, 2 dots per centimetre.
std::int32_t DotsPerInch(int unit, unsigned density)
{
    if (unit == 1)
        return static_cast<std::int32_t>(density);
    if (unit == 2)
        return static_cast<std::int32_t>((density * 254 + 50) / 100);
    return 0;
}

const unsigned StdLuminance[DCTSIZE2] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                         14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                         18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                         49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};

// The quality whose scaled standard luminance table (baseline-limited, as cjpeg makes
// it) equals the stream's first table, or -1.
std::int32_t EstimateQuality(const JQUANT_TBL* table)
{
    if (!table)
        return -1;
    for (int quality = 1; quality <= 100; ++quality) {
        const long scale = jpeg_quality_scaling(quality);
        bool same = true;
        for (int i = 0; i < DCTSIZE2 && same; ++i) {
            const long value = std::clamp<long>((StdLuminance[i] * scale + 50L) / 100L, 1L, 255L);
            same = value == table->quantval[i];
        }
        if (same)
            return quality;
    }
    return -1;
}

bool SupportedColorSpace(J_COLOR_SPACE space, int components)
{
    switch (space) {
    case JCS_GRAYSCALE: return components == 1;
    case JCS_YCbCr:
    case JCS_RGB: return components == 3;
    case JCS_CMYK:
    case JCS_YCCK: return components == 4;
    default: return false;
    }
}

bool IsCmyk(J_COLOR_SPACE space)
{
    return space == JCS_CMYK || space == JCS_YCCK;
}

std::optional<TFacts> ReadFacts(std::span<const std::uint8_t> stream)
{
    TErrors errors;
    InitErrors(errors);
    TDecompressor source(errors, stream);
    if (!source.Ready() || !Guarded(errors, [&] { jpeg_read_header(source.Info(), TRUE); }))
        return std::nullopt;
    TFacts facts;
    facts.Width = static_cast<std::int32_t>(source->image_width);
    facts.Height = static_cast<std::int32_t>(source->image_height);
    facts.ColorSpace = source->jpeg_color_space;
    if (facts.Width <= 0 || facts.Height <= 0
        || static_cast<std::int64_t>(facts.Width) * facts.Height > GMaxPixels.load()
        || !SupportedColorSpace(source->jpeg_color_space, source->num_components) || source->data_precision != 8)
        return std::nullopt;
    if (source->num_components > 1) {
        facts.BlockWidth = source->max_h_samp_factor * DCTSIZE;
        facts.BlockHeight = source->max_v_samp_factor * DCTSIZE;
    }
    facts.Quality = EstimateQuality(source->quant_tbl_ptrs[0]);
    if (source->saw_JFIF_marker) {
        facts.ResolutionX = DotsPerInch(source->density_unit, source->X_density);
        facts.ResolutionY = DotsPerInch(source->density_unit, source->Y_density);
    }
    return facts;
}

// ---------------------------------------------------------------------------------------
// Markers the source carries, copied out so that another libjpeg object can write them.

struct TMarker {
    int Code = 0;
    std::vector<std::uint8_t> Data;
};

struct TMarkerEdits {
    bool KeepExif = true, KeepIcc = true, KeepOther = true;
    bool DropThumbnail = false;     // the pixels changed: the embedded thumbnail is stale
    bool ResetOrientation = false;  // the pixels were turned: they are now upright as stored
};

bool StartsWith(const std::vector<std::uint8_t>& data, const char* text, std::size_t length)
{
    return data.size() >= length && std::memcmp(data.data(), text, length) == 0;
}

void SaveMarkers(j_decompress_ptr info)
{
    jpeg_save_markers(info, JPEG_COM, 0xFFFF);
    for (int i = 0; i < 16; ++i)
        jpeg_save_markers(info, JPEG_APP0 + i, 0xFFFF);
}

std::vector<TMarker> CopyMarkers(j_decompress_ptr info)
{
    std::vector<TMarker> markers;
    for (jpeg_saved_marker_ptr m = info->marker_list; m; m = m->next)
        markers.push_back(TMarker{m->marker, std::vector<std::uint8_t>(m->data, m->data + m->data_length)});
    return markers;
}

// What of the source's markers goes into a new file, edited as the save requires. JFIF
// and Adobe markers are written by libjpeg itself when the new file needs them.
std::vector<TMarker> FilterMarkers(std::vector<TMarker> markers, const TMarkerEdits& edits, bool writesJfif,
                                   bool writesAdobe)
{
    std::vector<TMarker> kept;
    for (TMarker& m : markers) {
        const bool jfif = m.Code == JPEG_APP0 && (StartsWith(m.Data, "JFIF\0", 5) || StartsWith(m.Data, "JFXX\0", 5));
        const bool exif = m.Code == JPEG_APP0 + 1 && StartsWith(m.Data, "Exif\0\0", 6);
        const bool icc = m.Code == JPEG_APP0 + 2 && StartsWith(m.Data, "ICC_PROFILE\0", 12);
        const bool adobe = m.Code == JPEG_APP0 + 14 && StartsWith(m.Data, "Adobe", 5);
        if (jfif) {
            // A JFIF extension carries a thumbnail; the JFIF header itself is libjpeg's.
            if (writesJfif || StartsWith(m.Data, "JFXX\0", 5))
                continue;
        } else if (adobe) {
            if (writesAdobe)
                continue;
        } else if (exif) {
            if (!edits.KeepExif)
                continue;
            std::span<std::uint8_t> tiff(m.Data.data() + 6, m.Data.size() - 6);
            if (edits.ResetOrientation)
                SetExifOrientation(tiff, 1);
            if (edits.DropThumbnail)
                UnlinkExifThumbnail(tiff);
        } else if (icc) {
            if (!edits.KeepIcc)
                continue;
        } else if (!edits.KeepOther) {
            continue;
        }
        kept.push_back(std::move(m));
    }
    return kept;
}

void WriteMarkers(j_compress_ptr info, const std::vector<TMarker>& markers)
{
    for (const TMarker& m : markers)
        jpeg_write_marker(info, m.Code, m.Data.data(), static_cast<unsigned>(m.Data.size()));
}

// ---------------------------------------------------------------------------------------
// Pixels.

// Adobe's CMYK files store inverted values (0 = full ink), which is what Photoshop and
// most other writers produce; without the Adobe marker the values are taken as ink.
void CmykRowToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, std::int32_t width, bool inverted)
{
    for (std::int32_t x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        const int k = inverted ? cmyk[3] : 255 - cmyk[3];
        for (int c = 0; c < 3; ++c) {
            const int v = inverted ? cmyk[2 - c] : 255 - cmyk[2 - c];
            bgr[c] = static_cast<std::uint8_t>((v * k + 127) / 255);
        }
    }
}

bool DecodeStream(std::span<const std::uint8_t> stream, std::uint8_t* firstRow, std::int32_t stride, std::int32_t width,
                  std::int32_t height)
{
    TErrors errors;
    InitErrors(errors);
    TDecompressor source(errors, stream);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(height));
    for (std::int32_t y = 0; y < height; ++y)
        rows[static_cast<std::size_t>(y)] = firstRow + static_cast<std::ptrdiff_t>(y) * stride;
    std::vector<std::uint8_t> cmykRow(static_cast<std::size_t>(width) * 4);
    return source.Ready() && Guarded(errors, [&] {
        j_decompress_ptr info = source.Info();
        jpeg_read_header(info, TRUE);
        if (static_cast<std::int32_t>(info->image_width) != width || static_cast<std::int32_t>(info->image_height) != height)
            ErrorExit(reinterpret_cast<j_common_ptr>(info));
        const bool cmyk = IsCmyk(info->jpeg_color_space);
        info->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
        jpeg_start_decompress(info);
        while (info->output_scanline < info->output_height) {
            if (cmyk) {
                JSAMPROW row = cmykRow.data();
                const JDIMENSION y = info->output_scanline;
                jpeg_read_scanlines(info, &row, 1);
                CmykRowToBgr(row, rows[y], width, info->saw_Adobe_marker);
            } else {
                jpeg_read_scanlines(info, rows.data() + info->output_scanline, info->output_height - info->output_scanline);
            }
        }
    });
}

bool IsGreyRow(const std::uint8_t* row, std::int32_t width)
{
    for (std::int32_t x = 0; x < width; ++x, row += 3)
        if (row[0] != row[1] || row[1] != row[2])
            return false;
    return true;
}

bool IsGreyPicture(const std::uint8_t* first, std::int32_t stride, std::int32_t width, std::int32_t height)
{
    for (std::int32_t y = 0; y < height; ++y)
        if (!IsGreyRow(first + static_cast<std::ptrdiff_t>(y) * stride, width))
            return false;
    return true;
}

// The source's coding structure, to encode new pixels exactly as the source was coded.
struct TCodingTables {
    J_COLOR_SPACE ColorSpace = JCS_YCbCr;
    int Components = 0;
    int ComponentId[MAX_COMPONENTS] = {};
    int H[MAX_COMPONENTS] = {}, V[MAX_COMPONENTS] = {};
    int Table[MAX_COMPONENTS] = {};
    bool HasTable[NUM_QUANT_TBLS] = {};
    UINT16 Quant[NUM_QUANT_TBLS][DCTSIZE2] = {};
    // A zero step decodes (as nothing) but cannot encode: the encoder divides by it.
    bool Encodable = true;
};

void ReadCodingTables(j_decompress_ptr info, TCodingTables& tables)
{
    tables.ColorSpace = info->jpeg_color_space;
    tables.Components = info->num_components;
    for (int c = 0; c < info->num_components && c < MAX_COMPONENTS; ++c) {
        tables.ComponentId[c] = info->comp_info[c].component_id;
        tables.H[c] = info->comp_info[c].h_samp_factor;
        tables.V[c] = info->comp_info[c].v_samp_factor;
        tables.Table[c] = info->comp_info[c].quant_tbl_no;
    }
    for (int t = 0; t < NUM_QUANT_TBLS; ++t) {
        tables.HasTable[t] = info->quant_tbl_ptrs[t] != nullptr;
        if (tables.HasTable[t])
            std::memcpy(tables.Quant[t], info->quant_tbl_ptrs[t]->quantval, sizeof(tables.Quant[t]));
    }
    for (int c = 0; c < info->num_components && c < MAX_COMPONENTS; ++c) {
        const int t = tables.Table[c];
        if (t < 0 || t >= NUM_QUANT_TBLS || !tables.HasTable[t])
            tables.Encodable = false;
        else
            for (UINT16 step : tables.Quant[t])
                tables.Encodable = tables.Encodable && step != 0;
    }
}

void ApplyCodingTables(j_compress_ptr info, const TCodingTables& tables)
{
    jpeg_set_colorspace(info, tables.ColorSpace);
    for (int t = 0; t < NUM_QUANT_TBLS; ++t) {
        if (!tables.HasTable[t])
            continue;
        if (!info->quant_tbl_ptrs[t])
            info->quant_tbl_ptrs[t] = jpeg_alloc_quant_table(reinterpret_cast<j_common_ptr>(info));
        std::memcpy(info->quant_tbl_ptrs[t]->quantval, tables.Quant[t], sizeof(tables.Quant[t]));
        info->quant_tbl_ptrs[t]->sent_table = FALSE;
    }
    for (int c = 0; c < tables.Components; ++c) {
        info->comp_info[c].component_id = tables.ComponentId[c];
        info->comp_info[c].h_samp_factor = tables.H[c];
        info->comp_info[c].v_samp_factor = tables.V[c];
        info->comp_info[c].quant_tbl_no = tables.Table[c];
    }
}

void ApplySubsampling(j_compress_ptr info, std::int32_t subsampling)
{
    if (info->num_components != 3)
        return;
    const int h = subsampling == 444 ? 1 : 2;
    const int v = subsampling == 420 || subsampling == -1 ? 2 : 1;
    info->comp_info[0].h_samp_factor = h;
    info->comp_info[0].v_samp_factor = v;
    for (int c = 1; c < 3; ++c)
        info->comp_info[c].h_samp_factor = info->comp_info[c].v_samp_factor = 1;
}

struct TEncodeRequest {
    const std::uint8_t* First = nullptr;
    std::int32_t Stride = 0, Width = 0, Height = 0;
    const TVxJPEGSaveParameters* Parameters = nullptr;
    const TCodingTables* Tables = nullptr; // the source's, used when the quality is -1
    std::int32_t FallbackQuality = 75;     // quality -1 without usable tables
    const std::vector<TMarker>* Markers = nullptr;
    bool WriteJfif = true;
};

std::optional<std::vector<std::uint8_t>> EncodePixels(const TEncodeRequest& request)
{
    TErrors errors;
    InitErrors(errors);
    TCompressor target(errors);
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(request.Height));
    for (std::int32_t y = 0; y < request.Height; ++y)
        rows[static_cast<std::size_t>(y)] = const_cast<JSAMPROW>(request.First + static_cast<std::ptrdiff_t>(y) * request.Stride);
    const TVxJPEGSaveParameters& p = *request.Parameters;
    const bool ok = target.Ready() && Guarded(errors, [&] {
        j_compress_ptr info = target.Info();
        info->image_width = static_cast<JDIMENSION>(request.Width);
        info->image_height = static_cast<JDIMENSION>(request.Height);
        info->input_components = 3;
        info->in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(info);
        if (p.Quality < 0 && request.Tables) {
            ApplyCodingTables(info, *request.Tables);
        } else {
            jpeg_set_quality(info, p.Quality < 0 ? request.FallbackQuality : std::clamp(p.Quality, 0, 100), TRUE);
            ApplySubsampling(info, p.Subsampling);
        }
        info->write_JFIF_header = request.WriteJfif && info->write_JFIF_header ? TRUE : FALSE;
        info->optimize_coding = p.OptimizeHuffman ? TRUE : FALSE;
        info->restart_in_rows = std::clamp(p.RestartRows, 0, 65535);
        if (p.Progressive)
            jpeg_simple_progression(info);
        jpeg_start_compress(info, TRUE);
        if (request.Markers)
            WriteMarkers(info, *request.Markers);
        jpeg_write_scanlines(info, rows.data(), static_cast<JDIMENSION>(request.Height));
        jpeg_finish_compress(info);
    });
    if (!ok)
        return std::nullopt;
    return target.Bytes();
}

// ---------------------------------------------------------------------------------------
// Coefficient blocks.

JBLOCKROW BlockRow(j_decompress_ptr info, jvirt_barray_ptr array, JDIMENSION row, bool writable)
{
    return (*info->mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(info), array, row, 1,
                                             writable ? TRUE : FALSE)[0];
}

JDIMENSION BlocksAcross(JDIMENSION pixels, int factor, int maxFactor)
{
    const long long divisor = static_cast<long long>(maxFactor) * DCTSIZE;
    return static_cast<JDIMENSION>((static_cast<long long>(pixels) * factor + divisor - 1) / divisor);
}

JDIMENSION RoundUp(JDIMENSION value, int multiple)
{
    return (value + static_cast<JDIMENSION>(multiple) - 1) / static_cast<JDIMENSION>(multiple) * static_cast<JDIMENSION>(multiple);
}

// The size of each component's block array in a picture of width x height with the
// source's sampling (turned when transposed), rounded up to whole MCUs.
struct TArrayShape {
    JDIMENSION Across[MAX_COMPONENTS] = {}, Down[MAX_COMPONENTS] = {};
    int H[MAX_COMPONENTS] = {}, V[MAX_COMPONENTS] = {};
};

TArrayShape ShapeOf(j_decompress_ptr info, JDIMENSION width, JDIMENSION height, bool transposed)
{
    TArrayShape shape;
    const int maxH = transposed ? info->max_v_samp_factor : info->max_h_samp_factor;
    const int maxV = transposed ? info->max_h_samp_factor : info->max_v_samp_factor;
    for (int c = 0; c < info->num_components; ++c) {
        int h = transposed ? info->comp_info[c].v_samp_factor : info->comp_info[c].h_samp_factor;
        int v = transposed ? info->comp_info[c].h_samp_factor : info->comp_info[c].v_samp_factor;
        if (info->num_components == 1)
            h = v = 1; // a single component is coded one block per MCU whatever its factors say
        shape.H[c] = h;
        shape.V[c] = v;
        shape.Across[c] = RoundUp(BlocksAcross(width, h, info->num_components == 1 ? 1 : maxH), h);
        shape.Down[c] = RoundUp(BlocksAcross(height, v, info->num_components == 1 ? 1 : maxV), v);
    }
    return shape;
}

// The writer reads a whole MCU row of blocks at a time, so that many rows must be
// accessible at once.
void RequestArrays(j_decompress_ptr info, const TArrayShape& shape, jvirt_barray_ptr* arrays)
{
    for (int c = 0; c < info->num_components; ++c)
        arrays[c] = (*info->mem->request_virt_barray)(reinterpret_cast<j_common_ptr>(info), JPOOL_IMAGE, TRUE,
                                                      shape.Across[c], shape.Down[c],
                                                      static_cast<JDIMENSION>(shape.V[c]));
}

// Coefficient (u, v) of a block, row u: a horizontal mirror negates the odd columns, a
// vertical mirror the odd rows, a transpose swaps u and v.
void TransformBlock(const JCOEF* source, JCOEF* target, bool transpose, bool mirrorH, bool mirrorV)
{
    for (int u = 0; u < DCTSIZE; ++u)
        for (int v = 0; v < DCTSIZE; ++v) {
            JCOEF value = transpose ? source[v * DCTSIZE + u] : source[u * DCTSIZE + v];
            if ((mirrorH && (v & 1)) != (mirrorV && (u & 1)))
                value = static_cast<JCOEF>(-value);
            target[u * DCTSIZE + v] = value;
        }
}

void TransposeQuantTables(j_compress_ptr info)
{
    for (JQUANT_TBL* table : info->quant_tbl_ptrs) {
        if (!table)
            continue;
        for (int u = 0; u < DCTSIZE; ++u)
            for (int v = u + 1; v < DCTSIZE; ++v)
                std::swap(table->quantval[u * DCTSIZE + v], table->quantval[v * DCTSIZE + u]);
    }
}

// Block (bx, by) of the target comes from the source block that lands there, its
// coefficients turned or mirrored with it.
void TransformBlocks(j_decompress_ptr in, TVxJPEG::TTransform kind, jvirt_barray_ptr* source, jvirt_barray_ptr* target,
                              const TArrayShape& sourceShape, const TArrayShape& targetShape)
{
    const bool transpose = kind == TVxJPEG::TTransform::Rot90 || kind == TVxJPEG::TTransform::Rot270;
    const bool mirrorH = kind == TVxJPEG::TTransform::FlipH || kind == TVxJPEG::TTransform::Rot90;
    const bool mirrorV = kind == TVxJPEG::TTransform::FlipV || kind == TVxJPEG::TTransform::Rot270;
    for (int c = 0; c < in->num_components; ++c) {
        const JDIMENSION srcAcross = sourceShape.Across[c], srcDown = sourceShape.Down[c];
        for (JDIMENSION by = 0; by < targetShape.Down[c]; ++by) {
            JBLOCKROW targetRow = BlockRow(in, target[c], by, true);
            for (JDIMENSION bx = 0; bx < targetShape.Across[c]; ++bx) {
                JDIMENSION sx = bx, sy = by;
                switch (kind) {
                case TVxJPEG::TTransform::FlipH: sx = srcAcross - 1 - bx; break;
                case TVxJPEG::TTransform::FlipV: sy = srcDown - 1 - by; break;
                case TVxJPEG::TTransform::Rot90: sx = by; sy = srcDown - 1 - bx; break;
                case TVxJPEG::TTransform::Rot270: sx = srcAcross - 1 - by; sy = bx; break;
                case TVxJPEG::TTransform::Crop: break;
                }
                JBLOCKROW sourceRow = BlockRow(in, source[c], sy, false);
                TransformBlock(sourceRow[sx], targetRow[bx], transpose, mirrorH, mirrorV);
            }
        }
    }
}

} // namespace

// ---------------------------------------------------------------------------------------

void TVxJPEG::SetMaxPixels(std::int64_t value)
{
    GMaxPixels = value;
}

std::int64_t TVxJPEG::MaxPixels()
{
    return GMaxPixels.load();
}

bool TVxJPEG::Load(const std::filesystem::path& fileName)
{
    Release();
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(fileName, error);
    if (error || size < 4 || size > MaxFileSize)
        return false;
    std::ifstream in(fileName, std::ios::binary);
    std::vector<std::uint8_t> stream(static_cast<std::size_t>(size));
    if (!in.read(reinterpret_cast<char*>(stream.data()), static_cast<std::streamsize>(size)))
        return false;
    return LoadFromMemory(std::move(stream));
}

bool TVxJPEG::LoadFromMemory(std::vector<std::uint8_t> stream)
{
    Release();
    if (stream.size() < 4 || stream[0] != 0xFF || stream[1] != 0xD8)
        return false;
    return Adopt(std::move(stream));
}

bool TVxJPEG::Adopt(std::vector<std::uint8_t> stream)
{
    const std::optional<TFacts> facts = ReadFacts(stream);
    if (!facts)
        return false;
    FSource = std::move(stream);
    FWidth = facts->Width;
    FHeight = facts->Height;
    FBlockWidth = facts->BlockWidth;
    FBlockHeight = facts->BlockHeight;
    FSourceQuality = facts->Quality;
    FResolutionX = facts->ResolutionX;
    FResolutionY = facts->ResolutionY;
    SetRect(0, 0, FWidth, FHeight);
    return true;
}

bool TVxJPEG::Decode(std::uint8_t* firstRow, std::int32_t stride)
{
    return HasSource() && firstRow && DecodeStream(FSource, firstRow, stride, FWidth, FHeight);
}

void TVxJPEG::SetRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom)
{
    FLeft = left;
    FTop = top;
    FRight = right;
    FBottom = bottom;
}

void TVxJPEG::BlockSizes(std::uint16_t (&pair)[2]) const
{
    pair[0] = static_cast<std::uint16_t>(FBlockWidth);
    pair[1] = static_cast<std::uint16_t>(FBlockHeight);
}

void TVxJPEG::SetPixels(const std::uint8_t* const* firstPixel, std::int32_t stride, std::int32_t, std::int32_t)
{
    FPixels = firstPixel ? *firstPixel : nullptr;
    FStride = stride;
}

void TVxJPEG::Release()
{
    FSource.clear();
    FSource.shrink_to_fit();
    FLoaded.clear();
    FLoaded.shrink_to_fit();
    FSteps.clear();
    FWidth = FHeight = 0;
    FBlockWidth = FBlockHeight = 8;
    FSourceQuality = -1;
    FResolutionX = FResolutionY = 0;
}

bool TVxJPEG::FlipHorizontal(std::int32_t)
{
    return Transform(TTransform::FlipH);
}

bool TVxJPEG::FlipVertical(std::int32_t)
{
    return Transform(TTransform::FlipV);
}

bool TVxJPEG::Rotate90Counterclockwise(std::int32_t)
{
    return Transform(TTransform::Rot270);
}

bool TVxJPEG::Rotate90Clockwise(std::int32_t)
{
    return Transform(TTransform::Rot90);
}

// A turn or flip is lossless only when the edges it moves are whole MCUs: a partial MCU
// cannot be coded at a picture's left or top. Otherwise the source is dropped and the
// next save encodes the pixels, which the document has turned exactly.
bool TVxJPEG::Transform(TTransform kind)
{
    if (!HasSource())
        return false;
    const bool transpose = kind == TTransform::Rot90 || kind == TTransform::Rot270;
    const bool needWhole = kind == TTransform::FlipH || kind == TTransform::Rot270;  // right edge moves left
    const bool needWholeDown = kind == TTransform::FlipV || kind == TTransform::Rot90; // bottom edge moves up
    if ((needWhole && FWidth % FBlockWidth != 0) || (needWholeDown && FHeight % FBlockHeight != 0)) {
        Release();
        return false;
    }
    TErrors errors;
    InitErrors(errors);
    TDecompressor source(errors, FSource);
    TCompressor target(errors);
    std::vector<TMarker> markers;
    jvirt_barray_ptr* sourceCoefficients = nullptr;
    jvirt_barray_ptr targetArrays[MAX_COMPONENTS] = {};
    TArrayShape sourceShape, targetShape;
    bool ok = source.Ready() && target.Ready() && Guarded(errors, [&] {
        j_decompress_ptr in = source.Info();
        SaveMarkers(in);
        jpeg_read_header(in, TRUE);
        sourceShape = ShapeOf(in, in->image_width, in->image_height, false);
        targetShape = transpose ? ShapeOf(in, in->image_height, in->image_width, true) : sourceShape;
        RequestArrays(in, targetShape, targetArrays);
        sourceCoefficients = jpeg_read_coefficients(in);
    });
    if (ok)
        markers = CopyMarkers(source.Info());
    const bool writesJfif = ok && source->saw_JFIF_marker;
    TMarkerEdits edits;
    edits.DropThumbnail = true;
    edits.ResetOrientation = true;
    ok = ok && Guarded(errors, [&] {
        TransformBlocks(source.Info(), kind, sourceCoefficients, targetArrays, sourceShape, targetShape);
    });
    // The MCU-padded block counts equal the exact ones here (whole MCUs on the moved
    // edges); the other edge may be partial and keeps its padding blocks in place.
    std::vector<TMarker> written;
    ok = ok && Guarded(errors, [&] {
        j_decompress_ptr in = source.Info();
        j_compress_ptr out = target.Info();
        jpeg_copy_critical_parameters(in, out);
        if (transpose) {
            out->image_width = in->image_height;
            out->image_height = in->image_width;
            for (int c = 0; c < out->num_components; ++c)
                std::swap(out->comp_info[c].h_samp_factor, out->comp_info[c].v_samp_factor);
            TransposeQuantTables(out);
        }
        out->write_JFIF_header = writesJfif ? TRUE : FALSE;
        out->optimize_coding = TRUE;
    });
    if (ok)
        written = FilterMarkers(std::move(markers), edits, target->write_JFIF_header, target->write_Adobe_marker);
    ok = ok && Guarded(errors, [&] {
        j_compress_ptr out = target.Info();
        jpeg_write_coefficients(out, targetArrays);
        WriteMarkers(out, written);
        jpeg_finish_compress(out);
    });
    if (!ok) {
        Release();
        return false;
    }
    const std::int32_t left = FLeft, top = FTop, right = FRight, bottom = FBottom, w = FWidth, h = FHeight;
    Remember(TStep{kind, 0, 0, 0, 0});
    if (!Adopt(target.Bytes())) {
        Release();
        return false;
    }
    switch (kind) {
    case TTransform::FlipH: SetRect(w - right, top, w - left, bottom); break;
    case TTransform::FlipV: SetRect(left, h - bottom, right, h - top); break;
    case TTransform::Rot90: SetRect(h - bottom, left, h - top, right); break;
    case TTransform::Rot270: SetRect(top, w - right, bottom, w - left); break;
    case TTransform::Crop: break;
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Saving.

namespace {

// Which MCUs of the target rectangle hold other pixels than the source decodes to there.
struct TChangedMap {
    std::int32_t Across = 0, Down = 0;
    std::vector<std::uint8_t> Changed;
    std::int64_t Count = 0;
    bool ChangedColourIntoGrey = false; // a changed MCU has colour the grey source cannot hold
};

TChangedMap CompareWithSource(const std::uint8_t* decoded, std::int32_t decodedStride, const std::uint8_t* pixels,
                              std::int32_t stride, std::int32_t width, std::int32_t height, std::int32_t blockWidth,
                              std::int32_t blockHeight, bool greySource)
{
    TChangedMap map;
    map.Across = (width + blockWidth - 1) / blockWidth;
    map.Down = (height + blockHeight - 1) / blockHeight;
    map.Changed.assign(static_cast<std::size_t>(map.Across) * map.Down, 0);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* a = decoded + static_cast<std::ptrdiff_t>(y) * decodedStride;
        const std::uint8_t* b = pixels + static_cast<std::ptrdiff_t>(y) * stride;
        std::uint8_t* changed = map.Changed.data() + static_cast<std::size_t>(y / blockHeight) * map.Across;
        for (std::int32_t mx = 0; mx < map.Across; ++mx) {
            const std::int32_t x0 = mx * blockWidth, run = std::min(blockWidth, width - x0);
            if (std::memcmp(a + x0 * 3, b + x0 * 3, static_cast<std::size_t>(run) * 3) == 0)
                continue;
            changed[mx] = 1;
            if (greySource && !IsGreyRow(b + x0 * 3, run))
                map.ChangedColourIntoGrey = true;
        }
    }
    for (std::uint8_t c : map.Changed)
        map.Count += c;
    return map;
}

// The source's coefficients for the target rectangle (its top-left corner on the MCU grid),
// with the blocks of changed MCUs taken from the same pixels encoded with the source's
// own tables and sampling.
struct TMergeRequest {
    std::span<const std::uint8_t> Source;
    std::span<const std::uint8_t> Encoded; // empty when no MCU changed
    const TChangedMap* Map = nullptr;
    std::int32_t Left = 0, Top = 0, Width = 0, Height = 0;
    std::int32_t BlockWidth = 8, BlockHeight = 8;
    const TVxJPEGSaveParameters* Parameters = nullptr;
    TMarkerEdits Edits;
};

void CopyMcuBlocks(j_decompress_ptr in, jvirt_barray_ptr* sourceArrays, const TArrayShape& sourceShape,
                   j_decompress_ptr encoded, jvirt_barray_ptr* encodedArrays, jvirt_barray_ptr* targetArrays,
                   const TArrayShape& targetShape, const TMergeRequest& request)
{
    for (int c = 0; c < in->num_components; ++c) {
        const int h = targetShape.H[c], v = targetShape.V[c];
        const JDIMENSION offsetX = static_cast<JDIMENSION>(request.Left / request.BlockWidth * h);
        const JDIMENSION offsetY = static_cast<JDIMENSION>(request.Top / request.BlockHeight * v);
        for (JDIMENSION by = 0; by < targetShape.Down[c]; ++by) {
            JBLOCKROW target = BlockRow(in, targetArrays[c], by, true);
            const std::int32_t my = static_cast<std::int32_t>(by) / v;
            const bool sourceRowExists = by + offsetY < sourceShape.Down[c];
            JBLOCKROW fromSource = sourceRowExists ? BlockRow(in, sourceArrays[c], by + offsetY, false) : nullptr;
            JBLOCKROW fromEncoded = encoded ? BlockRow(encoded, encodedArrays[c], by, false) : nullptr;
            for (JDIMENSION bx = 0; bx < targetShape.Across[c]; ++bx) {
                const std::int32_t mx = static_cast<std::int32_t>(bx) / h;
                const bool changed = request.Map->Changed[static_cast<std::size_t>(my) * request.Map->Across + mx] != 0;
                const bool inSource = fromSource && bx + offsetX < sourceShape.Across[c];
                if (changed || !inSource) {
                    if (fromEncoded)
                        std::memcpy(target[bx], fromEncoded[bx], sizeof(JBLOCK));
                    else
                        std::memset(target[bx], 0, sizeof(JBLOCK));
                } else {
                    std::memcpy(target[bx], fromSource[bx + offsetX], sizeof(JBLOCK));
                }
            }
        }
    }
}

std::optional<std::vector<std::uint8_t>> MergeCoefficients(const TMergeRequest& request)
{
    TErrors errors;
    InitErrors(errors);
    TDecompressor source(errors, request.Source);
    std::optional<TDecompressor> encodedHolder;
    if (!request.Encoded.empty())
        encodedHolder.emplace(errors, request.Encoded);
    TCompressor target(errors);
    jvirt_barray_ptr* sourceArrays = nullptr;
    jvirt_barray_ptr* encodedArrays = nullptr;
    jvirt_barray_ptr targetArrays[MAX_COMPONENTS] = {};
    TArrayShape sourceShape, targetShape;
    bool ok = source.Ready() && target.Ready() && (!encodedHolder || encodedHolder->Ready());
    ok = ok && Guarded(errors, [&] {
        j_decompress_ptr in = source.Info();
        SaveMarkers(in);
        jpeg_read_header(in, TRUE);
        sourceShape = ShapeOf(in, in->image_width, in->image_height, false);
        targetShape = ShapeOf(in, static_cast<JDIMENSION>(request.Width), static_cast<JDIMENSION>(request.Height), false);
        RequestArrays(in, targetShape, targetArrays);
        sourceArrays = jpeg_read_coefficients(in);
        if (encodedHolder) {
            jpeg_read_header(encodedHolder->Info(), TRUE);
            encodedArrays = jpeg_read_coefficients(encodedHolder->Info());
        }
    });
    // The encoded stream must be coded as the source is, block for block.
    ok = ok && (!encodedHolder || ((*encodedHolder)->num_components == source->num_components
                                   && static_cast<std::int32_t>((*encodedHolder)->image_width) == request.Width
                                   && static_cast<std::int32_t>((*encodedHolder)->image_height) == request.Height));
    for (int c = 0; ok && encodedHolder && c < source->num_components; ++c)
        ok = (*encodedHolder)->comp_info[c].h_samp_factor == source->comp_info[c].h_samp_factor
             && (*encodedHolder)->comp_info[c].v_samp_factor == source->comp_info[c].v_samp_factor;
    std::vector<TMarker> markers;
    if (ok)
        markers = CopyMarkers(source.Info());
    const TVxJPEGSaveParameters& p = *request.Parameters;
    ok = ok && Guarded(errors, [&] {
        j_decompress_ptr in = source.Info();
        CopyMcuBlocks(in, sourceArrays, sourceShape, encodedHolder ? encodedHolder->Info() : nullptr, encodedArrays,
                      targetArrays, targetShape, request);
        j_compress_ptr out = target.Info();
        jpeg_copy_critical_parameters(in, out);
        out->image_width = static_cast<JDIMENSION>(request.Width);
        out->image_height = static_cast<JDIMENSION>(request.Height);
        out->write_JFIF_header = in->saw_JFIF_marker;
        out->optimize_coding = p.OptimizeHuffman ? TRUE : FALSE;
        out->restart_in_rows = std::clamp(p.RestartRows, 0, 65535);
        if (p.Progressive)
            jpeg_simple_progression(out);
    });
    std::vector<TMarker> written;
    if (ok)
        written = FilterMarkers(std::move(markers), request.Edits, target->write_JFIF_header, target->write_Adobe_marker);
    ok = ok && Guarded(errors, [&] {
        j_compress_ptr out = target.Info();
        jpeg_write_coefficients(out, targetArrays);
        WriteMarkers(out, written);
        jpeg_finish_compress(out);
    });
    if (!ok)
        return std::nullopt;
    return target.Bytes();
}

bool ReadSourceTables(std::span<const std::uint8_t> stream, TCodingTables& tables, std::vector<TMarker>& markers,
                      bool& sawJfif)
{
    TErrors errors;
    InitErrors(errors);
    TDecompressor source(errors, stream);
    const bool ok = source.Ready() && Guarded(errors, [&] {
        SaveMarkers(source.Info());
        jpeg_read_header(source.Info(), TRUE);
        ReadCodingTables(source.Info(), tables);
    });
    if (ok) {
        markers = CopyMarkers(source.Info());
        sawJfif = source->saw_JFIF_marker;
    }
    return ok;
}

bool WriteFileBytes(const std::filesystem::path& fileName, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

} // namespace

std::optional<std::vector<std::uint8_t>> TVxJPEG::Encode(const std::uint8_t* firstPixel, std::int32_t stride,
                                                         std::int32_t width, std::int32_t height,
                                                         const TVxJPEGSaveParameters& parameters)
{
    if (!firstPixel || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION || height > JPEG_MAX_DIMENSION)
        return std::nullopt;
    TEncodeRequest request;
    request.First = firstPixel;
    request.Stride = stride;
    request.Width = width;
    request.Height = height;
    request.Parameters = &parameters;
    return EncodePixels(request);
}

bool TVxJPEG::SaveToFile(const std::filesystem::path& fileName, const TVxJPEGSaveParameters& parameters)
{
    const std::optional<std::vector<std::uint8_t>> bytes = SaveToMemory(parameters);
    return bytes && WriteFileBytes(fileName, *bytes);
}

// With the source held and its own tables asked for, every MCU whose pixels are those the
// source decodes to keeps the source's coefficients, and only the others are encoded.
// Any other quality, a rectangle off the MCU grid or outside the source, or a CMYK source
// encodes every block from the pixels.
// What a save knows of the source before it decides how to write.
struct TVxJPEG::TSaveContext {
    TVxJPEGSaveParameters Parameters;
    TCodingTables Tables;
    std::vector<TMarker> Markers;
    bool SawJfif = true;
    bool TablesUsable = false;
    TMarkerEdits Edits;
    std::int32_t Width = 0, Height = 0;
};

std::optional<std::vector<std::uint8_t>> TVxJPEG::SaveToMemory(const TVxJPEGSaveParameters& parameters)
{
    FLastSave = {};
    TSaveContext context;
    context.Width = FRight - FLeft;
    context.Height = FBottom - FTop;
    if (!FPixels || context.Width <= 0 || context.Height <= 0 || context.Width > JPEG_MAX_DIMENSION
        || context.Height > JPEG_MAX_DIMENSION)
        return std::nullopt;
    TVxJPEGSaveParameters& p = context.Parameters;
    p = parameters;
    if (p.Quality >= 0 && p.Quality == FSourceQuality)
        p.Quality = -1; // the same standard tables: blocks can still be kept
    if (HasSource() && !ReadSourceTables(FSource, context.Tables, context.Markers, context.SawJfif))
        return std::nullopt;
    context.TablesUsable = HasSource() && !IsCmyk(context.Tables.ColorSpace) && context.Tables.Encodable;
    context.Edits.KeepExif = p.KeepExif != 0;
    context.Edits.KeepIcc = p.KeepIcc != 0;
    context.Edits.KeepOther = p.KeepOther != 0;
    const bool insideSource = FLeft >= 0 && FTop >= 0 && FRight <= FWidth && FBottom <= FHeight;
    const bool onGrid = FLeft % FBlockWidth == 0 && FTop % FBlockHeight == 0;
    const bool keepable = context.TablesUsable && p.Quality < 0 && p.KeepBlocks && insideSource && onGrid
                          && (p.Subsampling < 0 || context.Tables.ColorSpace != JCS_YCbCr);
    if (keepable) {
        if (std::optional<std::vector<std::uint8_t>> kept = SaveKeepingBlocks(context))
            return kept;
    }
    return SaveEncodingAll(context);
}

// Nothing when the blocks cannot be kept after all (colour painted into a grey source,
// a merge that failed); the caller then encodes everything.
std::optional<std::vector<std::uint8_t>> TVxJPEG::SaveKeepingBlocks(TSaveContext& context)
{
    const TVxJPEGSaveParameters& p = context.Parameters;
    std::vector<std::uint8_t> decoded;
    if (!DecodeReference(decoded))
        return std::nullopt;
    const TChangedMap map = CompareWithSource(decoded.data() + (static_cast<std::size_t>(FTop) * FWidth + FLeft) * 3,
                                              FWidth * 3, FPixels, FStride, context.Width, context.Height, FBlockWidth,
                                              FBlockHeight, context.Tables.ColorSpace == JCS_GRAYSCALE);
    if (map.ChangedColourIntoGrey)
        return std::nullopt;
    decoded = {};
    const std::int64_t mcus = static_cast<std::int64_t>(map.Across) * map.Down;
    const bool whole = FLeft == 0 && FTop == 0 && context.Width == FWidth && context.Height == FHeight;
    const TMarkerEdits& edits = context.Edits;
    if (map.Count == 0 && whole && edits.KeepExif && edits.KeepIcc && edits.KeepOther && !p.Progressive) {
        FLastSave.KeptBlocks = mcus;
        FLastSave.Transcoded = true;
        return FSource;
    }
    std::optional<std::vector<std::uint8_t>> encoded;
    if (map.Count > 0) {
        // Only the coefficients are wanted from this stream: no optimised tables, one scan.
        TVxJPEGSaveParameters plain = p;
        plain.OptimizeHuffman = 0;
        plain.Progressive = 0;
        const TEncodeRequest request{FPixels, FStride, context.Width, context.Height, &plain, &context.Tables};
        encoded = EncodePixels(request);
        if (!encoded)
            return std::nullopt;
    }
    context.Edits.DropThumbnail = map.Count > 0 || !whole;
    const TMergeRequest merge{FSource, encoded ? std::span<const std::uint8_t>(*encoded) : std::span<const std::uint8_t>(),
                              &map, FLeft, FTop, context.Width, context.Height, FBlockWidth, FBlockHeight, &p,
                              context.Edits};
    std::optional<std::vector<std::uint8_t>> merged = MergeCoefficients(merge);
    if (merged) {
        FLastSave.EncodedBlocks = map.Count;
        FLastSave.KeptBlocks = mcus - map.Count;
        FLastSave.Transcoded = map.Count == 0;
    }
    return merged;
}

// Every block from the pixels: at the quality asked for, or with the source's tables when
// they can code the picture (a grey source only while the picture stays grey).
std::optional<std::vector<std::uint8_t>> TVxJPEG::SaveEncodingAll(TSaveContext& context)
{
    const bool grey = context.TablesUsable && context.Tables.ColorSpace == JCS_GRAYSCALE;
    const bool greyFits = grey && IsGreyPicture(FPixels, FStride, context.Width, context.Height);
    const bool useTables = context.TablesUsable && (!grey || greyFits);
    TEncodeRequest request{FPixels, FStride, context.Width, context.Height, &context.Parameters,
                           useTables ? &context.Tables : nullptr};
    request.FallbackQuality = FSourceQuality >= 0 ? FSourceQuality : (HasSource() ? 90 : 75);
    context.Edits.DropThumbnail = true;
    // The source's Adobe marker names its own colour transform (a CMYK or RGB source's
    // would make the new YCbCr file decode as RGB); libjpeg writes one where it belongs.
    const std::vector<TMarker> written = FilterMarkers(context.Markers, context.Edits, true, true);
    request.Markers = &written;
    request.WriteJfif = context.SawJfif;
    std::optional<std::vector<std::uint8_t>> bytes = EncodePixels(request);
    if (bytes)
        FLastSave.EncodedBlocks = static_cast<std::int64_t>((context.Width + FBlockWidth - 1) / FBlockWidth)
                                  * ((context.Height + FBlockHeight - 1) / FBlockHeight);
    return bytes;
}

namespace {

// A picture of B,G,R rows without padding, for the reference the pixels are compared with.
struct TPlain {
    std::vector<std::uint8_t> Bytes;
    std::int32_t Width = 0, Height = 0;
    const std::uint8_t* At(std::int32_t x, std::int32_t y) const
    {
        return Bytes.data() + (static_cast<std::size_t>(y) * Width + x) * 3;
    }
};

// The pixel counterpart of each lossless step, exact: a permutation or a cut.
TPlain ApplyStep(const TPlain& in, const TVxJPEG::TStep& step)
{
    TPlain out;
    const bool transpose = step.Kind == TVxJPEG::TTransform::Rot90 || step.Kind == TVxJPEG::TTransform::Rot270;
    out.Width = step.Kind == TVxJPEG::TTransform::Crop ? step.Right - step.Left : transpose ? in.Height : in.Width;
    out.Height = step.Kind == TVxJPEG::TTransform::Crop ? step.Bottom - step.Top : transpose ? in.Width : in.Height;
    out.Bytes.resize(static_cast<std::size_t>(out.Width) * out.Height * 3);
    for (std::int32_t y = 0; y < out.Height; ++y) {
        std::uint8_t* row = out.Bytes.data() + static_cast<std::size_t>(y) * out.Width * 3;
        for (std::int32_t x = 0; x < out.Width; ++x) {
            std::int32_t sx = x, sy = y;
            switch (step.Kind) {
            case TVxJPEG::TTransform::FlipH: sx = in.Width - 1 - x; break;
            case TVxJPEG::TTransform::FlipV: sy = in.Height - 1 - y; break;
            case TVxJPEG::TTransform::Rot90: sx = y; sy = in.Height - 1 - x; break;
            case TVxJPEG::TTransform::Rot270: sx = in.Width - 1 - y; sy = x; break;
            case TVxJPEG::TTransform::Crop: sx = x + step.Left; sy = y + step.Top; break;
            }
            std::memcpy(row + x * 3, in.At(sx, sy), 3);
        }
    }
    return out;
}

} // namespace

void TVxJPEG::Remember(const TStep& step)
{
    if (FSteps.empty()) {
        FLoaded = FSource;
        FLoadedWidth = FWidth;
        FLoadedHeight = FHeight;
    }
    FSteps.push_back(step);
}

// The pixels the document holds where nothing was edited: the loaded source decoded, then
// turned, flipped and cut as the held source was.
bool TVxJPEG::DecodeReference(std::vector<std::uint8_t>& pixels) const
{
    const bool stepped = !FSteps.empty();
    TPlain picture;
    picture.Width = stepped ? FLoadedWidth : FWidth;
    picture.Height = stepped ? FLoadedHeight : FHeight;
    picture.Bytes.resize(static_cast<std::size_t>(picture.Width) * picture.Height * 3);
    if (!DecodeStream(stepped ? FLoaded : FSource, picture.Bytes.data(), picture.Width * 3, picture.Width, picture.Height))
        return false;
    for (const TStep& step : FSteps)
        picture = ApplyStep(picture, step);
    if (picture.Width != FWidth || picture.Height != FHeight)
        return false;
    pixels = std::move(picture.Bytes);
    return true;
}

bool TVxJPEG::CropSource()
{
    if (!HasSource())
        return false;
    const std::int32_t width = FRight - FLeft, height = FBottom - FTop;
    if (FLeft == 0 && FTop == 0 && width == FWidth && height == FHeight)
        return true;
    const bool inside = FLeft >= 0 && FTop >= 0 && width > 0 && height > 0 && FRight <= FWidth && FBottom <= FHeight;
    if (!inside || FLeft % FBlockWidth != 0 || FTop % FBlockHeight != 0) {
        Release();
        return false;
    }
    TChangedMap unchanged;
    unchanged.Across = (width + FBlockWidth - 1) / FBlockWidth;
    unchanged.Down = (height + FBlockHeight - 1) / FBlockHeight;
    unchanged.Changed.assign(static_cast<std::size_t>(unchanged.Across) * unchanged.Down, 0);
    TVxJPEGSaveParameters p;
    TMarkerEdits edits;
    edits.DropThumbnail = true;
    const TMergeRequest crop{FSource, {}, &unchanged, FLeft, FTop, width, height, FBlockWidth, FBlockHeight, &p, edits};
    std::optional<std::vector<std::uint8_t>> cropped = MergeCoefficients(crop);
    if (cropped)
        Remember(TStep{TTransform::Crop, FLeft, FTop, FRight, FBottom});
    if (!cropped || !Adopt(std::move(*cropped))) {
        Release();
        return false;
    }
    return true;
}
