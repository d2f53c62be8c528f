// Replays a fuzz target's corpus without libFuzzer, for compilers and targets it does not
// support (the 32-bit build under qemu-i386): every file of the folders given is one call
// of the target's entry point and one case in GoogleTest-style results, so the corpus is
// counted like any other test. A target that finds a fault traps, as under libFuzzer.
//   Target --xml=RESULTS.xml CORPUS_FOLDER...
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> CorpusFiles(const std::vector<std::filesystem::path>& folders)
{
    std::vector<std::filesystem::path> files;
    for (const auto& folder : folders)
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
            if (entry.is_regular_file())
                files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string XmlEscaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

void WriteResults(const std::string& path, const std::string& target,
                  const std::vector<std::filesystem::path>& files)
{
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<testsuites tests=\"" << files.size() << "\" failures=\"0\" name=\"" << XmlEscaped(target) << "\">\n"
        << "  <testsuite name=\"" << XmlEscaped(target) << "\" tests=\"" << files.size() << "\" failures=\"0\">\n";
    for (const auto& file : files)
        out << "    <testcase name=\"" << XmlEscaped(file.filename().string()) << "\" classname=\""
            << XmlEscaped(target) << "\" status=\"run\" result=\"completed\" />\n";
    out << "  </testsuite>\n</testsuites>\n";
}

} // namespace

int main(int argc, char** argv)
{
    std::string results;
    std::vector<std::filesystem::path> folders;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--xml="))
            results = arg.substr(6);
        else
            folders.emplace_back(arg);
    }
    const auto files = CorpusFiles(folders);
    if (files.empty()) {
        std::fprintf(stderr, "no corpus files\n");
        return 1;
    }
    for (const auto& file : files) {
        std::fprintf(stderr, "%s\n", file.string().c_str());
        const auto data = ReadFile(file);
        LLVMFuzzerTestOneInput(data.data(), data.size());
    }
    const std::string target = std::filesystem::path(argv[0]).stem().string();
    if (!results.empty())
        WriteResults(results, target, files);
    std::printf("%zu inputs replayed\n", files.size());
    return 0;
}
