// Parse throughput of markup::MarkupDoc::SetText against pugixml (default options)
// and libxml2 (xmlReadMemory) on one generated 64 MiB XML text, in one
// process: a warm-up, then five rounds that alternate the three parsers.
// Also reports the memory the element table takes per element.
#include "markup/MarkupDoc.h"

#include <libxml/parser.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kTextBytes = size_t{64} << 20;
constexpr int kRounds = 5;

// A small deterministic generator, so every run parses the same text.
class Random {
public:
    uint32_t Next(uint32_t below) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<uint32_t>(state >> 33) % below;
    }

private:
    uint64_t state = 42;
};

// Nested elements with attributes (entities and character references among
// them), text with two-byte GBK characters, comments and CDATA sections.
std::string MakeText(int& elements) {
    static const char* const kGbk[] = {"\xd6\xd0", "\xce\xc4", "\xd4\xd3", "\xd6\xbe", "\xd2\xb3", "\xc3\xe6"};
    Random random;
    const auto gbk = [&](int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += kGbk[random.Next(6)];
        }
        return out;
    };
    std::string text = "<?xml version=\"1.0\" encoding=\"GBK\"?>\n"
                       "<Book entrance=\"main.swf\" width=\"800\" height=\"600\">\n";
    elements = 1;
    for (int chapter = 0; text.size() < kTextBytes - 4096; ++chapter) {
        text += "<Chapter id=\"c" + std::to_string(chapter) + "\" title=\"" + gbk(4) +
                " &amp; " + gbk(2) + "\">\n";
        ++elements;
        for (int page = 0; page < 20; ++page) {
            const std::string n = std::to_string(page);
            text += " <Page n=\"" + n + "\" src=\"pages/p" + n + ".swf\" note='a &lt; b &#65;'>\n"
                    "  <Text lang=\"zh\">" + gbk(8 + static_cast<int>(random.Next(24))) +
                    " plain words &amp; more " + gbk(4) + "</Text>\n"
                    "  <!-- page " + n + " of chapter " + std::to_string(chapter) + " -->\n"
                    "  <Image src=\"img/" + n + ".jpg\" w=\"" + std::to_string(random.Next(1000)) +
                    "\" h=\"300\"/>\n"
                    "  <Script><![CDATA[ if (a < b && c > d) { go(\"" + n + "\"); } ]]></Script>\n"
                    "  <Link href=\"http://example.org/" + n + "\" target=\"_blank\">" + gbk(3) +
                    "</Link>\n </Page>\n";
            elements += 5;
        }
        text += "</Chapter>\n";
    }
    text += "</Book>\n";
    return text;
}

double CpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

long ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    long size = 0;
    long resident = 0;
    statm >> size >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

struct Timing {
    double wall;
    double cpu;
};

// Times `parse` alone; `prepare` and the clean-up it returns run untimed.
Timing TimeOnce(const std::function<std::function<void()>()>& parse) {
    const auto wallStart = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    const std::function<void()> cleanUp = parse();
    const Timing timing{
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count(),
        CpuSeconds() - cpuStart};
    cleanUp();
    return timing;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int CountElements(xmlNode* node) {
    int count = 0;
    for (; node != nullptr; node = node->next) {
        if (node->type == XML_ELEMENT_NODE) {
            count += 1 + CountElements(node->children);
        }
    }
    return count;
}

} // namespace

int main() {
    int elements = 0;
    const std::string text = MakeText(elements);
    const double megabytes = static_cast<double>(text.size()) / 1e6;

    // Memory of the table, measured on a fresh document before any timing;
    // the text is moved in, so what the process grows by is the table.
    size_t tableAllocated = 0;
    long residentGrowth = 0;
    {
        std::string copy = text;
        const long before = ResidentBytes();
        markup::MarkupDoc doc;
        if (!doc.SetText(std::move(copy))) {
            std::fprintf(stderr, "markup::MarkupDoc rejected the text: %s\n", doc.ResultText().c_str());
            return 1;
        }
        residentGrowth = ResidentBytes() - before;
        tableAllocated = static_cast<size_t>(doc.Capacity()) * sizeof(markup::ElementRecord) +
                         static_cast<size_t>(doc.SegmentSlots()) * sizeof(void*);
        if (doc.UsedCount() - 1 != elements) {
            std::fprintf(stderr, "markup::MarkupDoc found %d elements, expected %d\n", doc.UsedCount() - 1, elements);
            return 1;
        }
    }

    bool agreed = true;
    const auto ours = [&]() -> std::function<void()> {
        auto doc = std::make_shared<markup::MarkupDoc>();
        agreed &= doc->SetText(std::string(text));
        return [doc] {};
    };
    const auto pugi = [&]() -> std::function<void()> {
        auto doc = std::make_shared<pugi::xml_document>();
        agreed &= static_cast<bool>(doc->load_buffer(text.data(), text.size()));
        return [doc] {};
    };
    const auto libxml = [&]() -> std::function<void()> {
        xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "bench.xml", nullptr, 0);
        return [doc, &agreed, elements] {
            agreed &= doc != nullptr && CountElements(xmlDocGetRootElement(doc)) == elements;
            xmlFreeDoc(doc);
        };
    };

    const std::function<std::function<void()>()> parsers[] = {ours, pugi, libxml};
    const char* const names[] = {"markup::MarkupDoc::SetText", "pugixml load_buffer", "libxml2 xmlReadMemory"};
    for (const auto& parse : parsers) {
        TimeOnce(parse); // warm-up
    }
    std::vector<double> wall[3];
    std::vector<double> cpu[3];
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < 3; ++i) {
            const Timing timing = TimeOnce(parsers[i]);
            wall[i].push_back(timing.wall);
            cpu[i].push_back(timing.cpu);
        }
    }
    if (!agreed) {
        std::fprintf(stderr, "a parser failed on the text\n");
        return 1;
    }

    std::printf("markup: %.1f MB text (%d elements), median of %d alternating runs in one process\n",
                megabytes, elements, kRounds);
    double rate[3];
    for (int i = 0; i < 3; ++i) {
        rate[i] = megabytes / Median(wall[i]);
        std::printf("  %-22s %7.1f MB/s  (wall %.3f s, cpu %.3f s)\n", names[i], rate[i],
                    Median(wall[i]), Median(cpu[i]));
    }
    std::printf("  ratio ours/pugixml %.2f, ours/libxml2 %.2f\n", rate[0] / rate[1], rate[0] / rate[2]);
    const double perElement = static_cast<double>(elements);
    std::printf("  table: %zu bytes per record; %.1f bytes/element allocated, "
                "%.1f bytes/element resident beyond the text\n",
                sizeof(markup::ElementRecord), static_cast<double>(tableAllocated) / perElement,
                static_cast<double>(residentGrowth) / perElement);
    return 0;
}
