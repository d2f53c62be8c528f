#include "settings/VxProperties.h"

#include <cstring>

#include "settings/VxSDF.h"

TVxCustomProperties::~TVxCustomProperties()
{
    // Derived classes release their values in their own destructors (FreeValue is no
    // longer theirs here); what remains has nothing to release.
    FRecords.clear();
}

int TVxCustomProperties::IndexOf(std::uint32_t identifier) const
{
    for (int i = Count() - 1; i >= 0; --i)
        if (FRecords[static_cast<std::size_t>(i)]->Identifier == identifier)
            return i;
    return -1;
}

void TVxCustomProperties::Set(std::uint32_t identifier, std::uint32_t type, std::uint32_t size, const void* value)
{
    auto record = std::make_unique<TVxPropertyRecord>();
    record->Identifier = identifier;
    record->Type = type;
    record->Size = size;
    const auto* bytes = static_cast<const std::uint8_t*>(value);
    if (size > 0 && bytes)
        record->Value.assign(bytes, bytes + size);
    else
        record->Value.assign(size, 0);
    const int index = IndexOf(identifier);
    if (index < 0) {
        FRecords.push_back(std::move(record));
        return;
    }
    FreeValue(*FRecords[static_cast<std::size_t>(index)]);
    FRecords[static_cast<std::size_t>(index)] = std::move(record);
}

void TVxCustomProperties::SetInteger(std::uint32_t identifier, std::int32_t value)
{
    Set(identifier, sdfInt32, 4, &value);
}

void TVxCustomProperties::SetReal(std::uint32_t identifier, double value)
{
    Set(identifier, sdfReal64, 8, &value);
}

void TVxCustomProperties::SetString(std::uint32_t identifier, const std::string& text)
{
    Set(identifier, sdfText8, static_cast<std::uint32_t>(text.size()), text.data());
}

TVxPropertyVariant TVxCustomProperties::GetVariant(int index) const
{
    if (index < 0 || index >= Count())
        return std::monostate{};
    const TVxPropertyRecord& record = Item(index);
    switch (record.Type) {
    case sdfInt32: {
        std::int32_t value = 0;
        std::memcpy(&value, record.Value.data(), std::min<std::size_t>(4, record.Value.size()));
        return value;
    }
    case sdfReal64: {
        double value = 0;
        std::memcpy(&value, record.Value.data(), std::min<std::size_t>(8, record.Value.size()));
        return value;
    }
    case sdfText8:
        return std::string(record.Value.begin(), record.Value.end());
    default:
        return std::monostate{};
    }
}

void TVxCustomProperties::Delete(std::uint32_t identifier)
{
    const int index = IndexOf(identifier);
    if (index < 0)
        return;
    FreeValue(*FRecords[static_cast<std::size_t>(index)]);
    FRecords.erase(FRecords.begin() + index);
}

void TVxCustomProperties::Clear()
{
    for (auto& record : FRecords)
        FreeValue(*record);
    FRecords.clear();
}

void TVxCustomProperties::Assign(const TVxCustomProperties& other)
{
    if (&other == this)
        return;
    Clear();
    for (const auto& record : other.FRecords)
        Set(record->Identifier, record->Type, record->Size, record->Value.data());
}

void TVxProperties::Assign(const TVxCustomProperties& other)
{
    if (&other == this)
        return;
    TVxCustomProperties::Assign(other);
    // The copy holds references of its own, released with it.
    for (int i = 0; i < Count(); ++i)
        if (IVxUnknown* object = GetInterface(i))
            object->AddRef();
}

TVxProperties::~TVxProperties()
{
    Clear();
}

void TVxProperties::SetInterface(std::uint32_t identifier, IVxUnknown* object)
{
    if (object)
        object->AddRef();
    Set(identifier, sdfInterface, sizeof object, &object);
}

IVxUnknown* TVxProperties::GetInterface(int index) const
{
    if (index < 0 || index >= Count() || Item(index).Type != sdfInterface || Item(index).Size != sizeof(IVxUnknown*))
        return nullptr;
    IVxUnknown* object = nullptr;
    std::memcpy(&object, Item(index).Value.data(), sizeof object);
    return object;
}

void TVxProperties::FreeValue(TVxPropertyRecord& record)
{
    if (record.Type != sdfInterface || record.Size != sizeof(IVxUnknown*))
        return;
    IVxUnknown* object = nullptr;
    std::memcpy(&object, record.Value.data(), sizeof object);
    if (object)
        object->Release();
    std::memset(record.Value.data(), 0, record.Value.size());
}
