#include "XmlLoader.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Mini-XML reports parse errors through a process-wide callback without user
// data; collect them for the duration of one load.
thread_local std::string t_parseErrors;

void CollectParseError(const char* message) {
    if (!t_parseErrors.empty()) {
        t_parseErrors += "; ";
    }
    t_parseErrors += message;
}

class ParseErrorCapture {
public:
    ParseErrorCapture() {
        t_parseErrors.clear();
        mxmlSetErrorCallback(CollectParseError);
    }
    ~ParseErrorCapture() { mxmlSetErrorCallback(nullptr); }
    ParseErrorCapture(const ParseErrorCapture&) = delete;
    ParseErrorCapture& operator=(const ParseErrorCapture&) = delete;
};

// The throw-away top of the first pass. Its name holds a blank, which no
// element name read from a file can, so the parse errors that name it as
// the parent can lose that part.
const char kPassTop[] = "top level";

// Every element whose start tag was read is counted until its end tag: one
// left open at the end is the start tag that the text ends inside (Mini-XML
// closes it quietly). Nodes are kept as a plain load keeps them.
struct ElementCount {
    int open = 0;
    std::string lastOpened;
};

void CountElements(mxml_node_t* node, mxml_sax_event_t event, void* data) {
    auto* count = static_cast<ElementCount*>(data);
    if (event == MXML_SAX_ELEMENT_CLOSE) {
        --count->open;
        return;
    }
    if (event == MXML_SAX_ELEMENT_OPEN) {
        ++count->open;
        count->lastOpened = mxmlGetElement(node);
    }
    mxmlRetain(node);
}

// Mini-XML drops a node it was building, without freeing it, when the text
// ends or fails inside the first element (such as "<"). Nodes always have a
// parent when the load is given a top node, so a first pass under a throw-away
// top frees everything; only a document that passes is read again as callers
// expect it.
bool ParsesCleanly(std::FILE* stream) {
    mxml_node_t* top = mxmlNewElement(MXML_NO_PARENT, kPassTop);
    ElementCount count;
    const bool parsed =
        mxmlSAXLoadFile(top, stream, MXML_OPAQUE_CALLBACK, CountElements, &count) != nullptr;
    mxmlDelete(top);
    if (parsed && t_parseErrors.empty() && count.open != 0) {
        CollectParseError(("Early EOF in the start tag \"<" + count.lastOpened + "\".").c_str());
    }
    return parsed && t_parseErrors.empty();
}

// The reason without the first pass's own top, which no file holds.
std::string WithoutPassTop(std::string errors) {
    for (const char* link : {" under parent <", " in parent <", " to parent <"}) {
        const std::string named = link + std::string(kPassTop) + ">";
        for (size_t at = errors.find(named); at != std::string::npos; at = errors.find(named)) {
            errors.erase(at, named.size());
        }
    }
    return errors;
}

// Without a top node, Mini-XML makes a node after the root element (the text
// before a trailing comment, say) with no parent and then loses it. The load
// callback sees every node as it is made: each is kept, as a plain load keeps
// it, and each made without a parent is noted.
void KeepAndNoteParentless(mxml_node_t* node, mxml_sax_event_t event, void* parentless) {
    if (event == MXML_SAX_ELEMENT_CLOSE) {
        return;
    }
    mxmlRetain(node);
    if (mxmlGetParent(node) == nullptr) {
        static_cast<std::vector<mxml_node_t*>*>(parentless)->push_back(node);
    }
}

// The first parentless node is the document (the library frees it itself when
// the load fails); no one owns the others.
mxml_node_t* LoadWithoutStrays(std::FILE* stream) {
    std::vector<mxml_node_t*> parentless;
    mxml_node_t* document =
        mxmlSAXLoadFile(nullptr, stream, MXML_OPAQUE_CALLBACK, KeepAndNoteParentless, &parentless);
    for (size_t i = 1; i < parentless.size(); ++i) {
        if (parentless[i] != document) {
            mxmlDelete(parentless[i]);
        }
    }
    return document;
}

}  // namespace

mxml_node_t* LoadXmlDocument(std::FILE* stream, std::string& errors) {
    ParseErrorCapture capture;
    const long start = std::ftell(stream);
    mxml_node_t* document = nullptr;
    if (ParsesCleanly(stream) && start >= 0 && std::fseek(stream, start, SEEK_SET) == 0) {
        document = LoadWithoutStrays(stream);
    }
    errors = WithoutPassTop(t_parseErrors);
    if (document == nullptr && errors.empty()) {
        errors = "not a complete XML document";
    }
    if (document != nullptr && !errors.empty()) {
        mxmlDelete(document);
        document = nullptr;
    }
    return document;
}

mxml_node_t* LoadXmlText(const std::string& text, std::string& errors) {
    if (text.empty()) {
        errors = "no XML content";
        return nullptr;
    }
    std::FILE* stream = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (stream == nullptr) {
        errors = std::strerror(errno);
        return nullptr;
    }
    mxml_node_t* document = LoadXmlDocument(stream, errors);
    std::fclose(stream);
    return document;
}
