// The layers of the framework include one another in one direction only: a
// circle in the include graph between the source folders below would make
// them one library again. Each folder is a node; an include of a file in
// another folder is an edge.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Longer prefixes first: a file belongs to the first that starts its path.
const std::vector<std::string> kLayers = {"shell/vst", "gui/toolkit", "gui/editor", "platform",
                                          "runtime",   "shell",       "plugin",     "effects"};

std::string layerOf(const std::string& path) {
    for (const std::string& layer : kLayers)
        if (path.compare(0, layer.size() + 1, layer + "/") == 0)
            return layer;
    return {};
}

using Graph = std::map<std::string, std::set<std::string>>;

// Every edge, with one include that makes it, read from the sources.
Graph readGraph(const fs::path& root, std::map<std::string, std::string>& example) {
    Graph graph;
    for (const std::string& layer : kLayers) {
        for (const auto& entry : fs::recursive_directory_iterator(root / layer)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
                continue;
            const std::string file = fs::relative(entry.path(), root).generic_string();
            const std::string from = layerOf(file);
            std::ifstream in(entry.path());
            std::string line;
            while (std::getline(in, line)) {
                const std::string directive = "#include \"";
                const size_t at = line.find(directive);
                if (at == std::string::npos)
                    continue;
                const size_t start = at + directive.size();
                const std::string included = line.substr(start, line.find('"', start) - start);
                const std::string to = layerOf(included);
                if (from.empty() || to.empty() || to == from)
                    continue;
                graph[from].insert(to);
                example.emplace(from + " -> " + to, file + " includes " + included);
            }
        }
    }
    return graph;
}

// A circle through the graph as "a -> b -> a", or empty when there is none.
std::string findCircle(const Graph& graph) {
    std::map<std::string, int> state;  // 1 on the path, 2 done
    std::vector<std::string> path;
    std::string circle;
    auto visit = [&](auto& self, const std::string& node) -> void {
        state[node] = 1;
        path.push_back(node);
        const auto edges = graph.find(node);
        if (edges != graph.end()) {
            for (const std::string& next : edges->second) {
                if (!circle.empty())
                    break;
                if (state[next] == 1) {
                    for (auto it = std::find(path.begin(), path.end(), next); it != path.end();
                         ++it)
                        circle += *it + " -> ";
                    circle += next;
                } else if (state[next] == 0) {
                    self(self, next);
                }
            }
        }
        path.pop_back();
        state[node] = 2;
    };
    for (const std::string& layer : kLayers)
        if (circle.empty() && state[layer] == 0)
            visit(visit, layer);
    return circle;
}

TEST(IncludeGraph, TheLayersFormNoCircle) {
    std::map<std::string, std::string> example;
    const Graph graph = readGraph(PLUX_SOURCE_DIR, example);
    const std::string circle = findCircle(graph);
    std::string edges;
    for (const auto& [edge, why] : example)
        edges += "  " + edge + " (" + why + ")\n";
    EXPECT_EQ(circle, "") << "edges:\n" << edges;
    // The sources were read: edges every build has are there.
    ASSERT_EQ(graph.count("plugin"), 1u) << edges;
    EXPECT_EQ(graph.at("plugin").count("gui/editor"), 1u) << edges;
    ASSERT_EQ(graph.count("gui/editor"), 1u) << edges;
    EXPECT_EQ(graph.at("gui/editor").count("shell"), 1u) << edges;
    // The runtime reaches its host through an interface of its own, and the
    // wrapper and the editor meet only in the plug-in's assembly.
    for (const char* above : {"shell", "gui/editor", "plugin", "effects"})
        EXPECT_EQ(graph.count("runtime") ? graph.at("runtime").count(above) : 0u, 0u) << above;
    EXPECT_EQ(graph.count("shell") ? graph.at("shell").count("gui/editor") : 0u, 0u) << edges;
    EXPECT_EQ(graph.count("platform"), 0u) << "the platform seam includes nothing of the layers";
}

// The check itself finds a circle when there is one.
TEST(IncludeGraph, ACircleIsFound) {
    const Graph circular = {
        {"runtime", {"gui/toolkit"}}, {"gui/toolkit", {"shell"}}, {"shell", {"runtime"}}};
    EXPECT_EQ(findCircle(circular), "gui/toolkit -> shell -> runtime -> gui/toolkit");
    const Graph layered = {{"runtime", {"gui/toolkit"}}, {"shell", {"runtime", "gui/toolkit"}}};
    EXPECT_EQ(findCircle(layered), "");
}

}  // namespace
