#pragma once
// Typed property lists (image properties, lesson script parameters): ordered records of
// identifier, type and value bytes, with the type codes of the structured data format.
#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

// A reference-counted object whose reference a type-16 property holds.
class IVxUnknown {
public:
    virtual void AddRef() = 0;
    virtual void Release() = 0;

protected:
    ~IVxUnknown() = default;
};

struct TVxPropertyRecord {
    std::uint32_t Identifier = 0;
    std::uint32_t Type = 0;
    std::uint32_t Size = 0;
    std::vector<std::uint8_t> Value;
};

using TVxPropertyVariant = std::variant<std::monostate, std::int32_t, double, std::string>;

class TVxCustomProperties {
public:
    TVxCustomProperties() = default;
    TVxCustomProperties(const TVxCustomProperties&) = delete;
    TVxCustomProperties& operator=(const TVxCustomProperties&) = delete;
    virtual ~TVxCustomProperties();

    // Searches from the last record; -1 when absent.
    int IndexOf(std::uint32_t identifier) const;
    const TVxPropertyRecord& Item(int index) const { return *FRecords[static_cast<std::size_t>(index)]; }
    int Count() const { return static_cast<int>(FRecords.size()); }

    // Replaces an existing record in place (its position is kept) or appends one.
    void Set(std::uint32_t identifier, std::uint32_t type, std::uint32_t size, const void* value);
    void SetInteger(std::uint32_t identifier, std::int32_t value);
    void SetReal(std::uint32_t identifier, double value);
    void SetString(std::uint32_t identifier, const std::string& text);
    TVxPropertyVariant GetVariant(int index) const;
    void Delete(std::uint32_t identifier);
    void Clear();
    virtual void Assign(const TVxCustomProperties& other);

protected:
    virtual void FreeValue(TVxPropertyRecord&) {}

private:
    std::vector<std::unique_ptr<TVxPropertyRecord>> FRecords;
};

class TVxProperties : public TVxCustomProperties {
public:
    ~TVxProperties() override;
    // Stores the reference (taking one of its own) as a type-16 record.
    void SetInterface(std::uint32_t identifier, IVxUnknown* object);
    IVxUnknown* GetInterface(int index) const;
    void Assign(const TVxCustomProperties& other) override;

protected:
    void FreeValue(TVxPropertyRecord& record) override;
};
