#pragma once
// The column-major grids of the seam search: columns of one length behind a pointer table.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "imaging/VxPageMemory.h"

// Columns of equal length behind one pointer table, so that whole columns move by
// exchanging pointers. Capacity is fixed at creation; the unused columns beyond the
// current width serve as the spares a rotation needs. The cells start as zero bits
// (T must be valid as all zeros); the memory comes straight from the page allocator,
// which hands out zeroed pages, so a large grid is not cleared twice.
// Each column array lies in a slot of its own; taking an entry out of a column (or
// duplicating one) moves whichever part of the column is shorter, so a column may start
// a little into its slot until Realign puts it back.
template <typename T> class TBlockGrid {
public:
    TBlockGrid() = default;
    TBlockGrid(const TBlockGrid&) = delete;
    TBlockGrid& operator=(const TBlockGrid&) = delete;
    ~TBlockGrid() { Release(); }

    // Columns start on 64-byte boundaries so that a walk across the columns touches one
    // cache line per column for every few rows. Throws std::bad_alloc when the system
    // has no memory to give.
    void Allocate(std::int32_t columns, std::int32_t rows)
    {
        Release();
        constexpr std::size_t perLine = 64 / sizeof(T) > 0 ? 64 / sizeof(T) : 1;
        const std::size_t pitch = (static_cast<std::size_t>(rows) + perLine - 1) / perLine * perLine;
        // Counted in 64 bits: in a 32-bit size_t a big grid's byte count would wrap to a
        // small store that the columns then run past.
        const std::uint64_t cells = static_cast<std::uint64_t>(pitch) * static_cast<std::uint64_t>(std::max(columns, 0));
        if (cells > std::numeric_limits<std::size_t>::max() / 2 / sizeof(T))
            throw std::bad_alloc();
        const std::size_t bytes = std::max<std::size_t>(static_cast<std::size_t>(cells) * sizeof(T), 1);
        void* store = VxPageMemory::Allocate(bytes);
        if (!store)
            throw std::bad_alloc();
        FStore = store;
        FStoreSize = bytes;
        FPitch = pitch;
        T* first = static_cast<T*>(store); // page aligned
        FColumns.resize(static_cast<std::size_t>(columns));
        for (std::int32_t i = 0; i < columns; ++i)
            FColumns[i] = first + static_cast<std::size_t>(i) * pitch;
        FDrifted = false;
    }
    bool Allocated() const { return FStore != nullptr; }
    T* Column(std::int32_t i) const { return FColumns[i]; }
    T* const* Columns() const { return FColumns.data(); }
    T& At(std::int32_t i, std::int32_t j) const { return FColumns[i][j]; }
    std::int32_t Capacity() const { return static_cast<std::int32_t>(FColumns.size()); }

    // Column from is dropped; columns from + 1 .. last move one place left; the dropped
    // array becomes column last.
    void RotateLeft(std::int32_t from, std::int32_t last)
    {
        T* dropped = FColumns[from];
        for (std::int32_t i = from; i < last; ++i)
            FColumns[i] = FColumns[i + 1];
        FColumns[last] = dropped;
    }
    // Takes entry at out of column i, which holds count entries; the entries after it
    // move up one.
    void RemoveAt(std::int32_t i, std::int32_t at, std::int32_t count)
    {
        T* column = FColumns[i];
        if (at < count - at - 1) {
            std::memmove(column + 1, column, static_cast<std::size_t>(at) * sizeof(T));
            FColumns[i] = column + 1;
            FDrifted = true;
        } else if (at + 1 < count) {
            std::memmove(column + at, column + at + 1, static_cast<std::size_t>(count - at - 1) * sizeof(T));
        }
    }
    // Puts a copy of entry at of column i (count entries, fewer than the capacity) right
    // after it. A column that has no room left after it in its slot has drifted into the
    // slot, so there is always room on one side.
    void DuplicateAt(std::int32_t i, std::int32_t at, std::int32_t count)
    {
        T* column = FColumns[i];
        const bool roomBefore = column > Slot(column);
        const bool roomAfter = column + count < Slot(column) + FPitch;
        if (roomBefore && (at + 1 < count - at || !roomAfter)) {
            std::memmove(column - 1, column, static_cast<std::size_t>(at + 1) * sizeof(T));
            FColumns[i] = column - 1;
            return;
        }
        std::memmove(column + at + 1, column + at, static_cast<std::size_t>(count - at) * sizeof(T));
    }
    // Moves every column of count entries back to the start of its slot, where the
    // columns begin on cache lines.
    void Realign(std::int32_t count)
    {
        if (!FDrifted)
            return;
        for (T*& column : FColumns) {
            T* slot = Slot(column);
            if (column != slot) {
                std::memmove(slot, column, static_cast<std::size_t>(count) * sizeof(T));
                column = slot;
            }
        }
        FDrifted = false;
    }

    // Puts every column back at the start of its slot without keeping its entries, for a
    // grid about to be written afresh. A column left out of the entry moves while the
    // columns in use changed length may lie so far into its slot that the current length
    // no longer fits there.
    void Rewind()
    {
        for (T*& column : FColumns)
            column = Slot(column);
        FDrifted = false;
    }

    // Columns from .. last - 1 move one place right; the array of column last comes in at
    // from, at the start of its slot: it is a spare, whose entries the caller overwrites,
    // and it may have drifted while it was in use at another length.
    void RotateRight(std::int32_t from, std::int32_t last)
    {
        T* incoming = Slot(FColumns[last]);
        for (std::int32_t i = last; i > from; --i)
            FColumns[i] = FColumns[i - 1];
        FColumns[from] = incoming;
    }

private:
    void Release()
    {
        if (FStore)
            VxPageMemory::Release(FStore, FStoreSize);
        FStore = nullptr;
        FStoreSize = 0;
        FColumns.clear();
    }
    // The start of the slot a column array lies in.
    T* Slot(T* column) const
    {
        T* first = static_cast<T*>(FStore);
        return first + static_cast<std::size_t>(column - first) / FPitch * FPitch;
    }

    void* FStore = nullptr;
    std::size_t FStoreSize = 0;
    std::size_t FPitch = 0;
    bool FDrifted = false;
    std::vector<T*> FColumns;
};
