#include "XmlLoader.h"

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

// Mini-XML drops a node it was building, without freeing it, when the text
// ends or fails inside the first element (such as "<"). Nodes always have a
// parent when the load is given a top node, so a first pass under a throw-away
// top frees everything; only a document that passes is read again as callers
// expect it.
bool ParsesCleanly(std::FILE* stream) {
    mxml_node_t* guard = mxmlNewElement(MXML_NO_PARENT, "guard");
    const bool parsed = mxmlLoadFile(guard, stream, MXML_OPAQUE_CALLBACK) != nullptr;
    mxmlDelete(guard);
    return parsed && t_parseErrors.empty();
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
    errors = t_parseErrors;
    if (document == nullptr && errors.empty()) {
        errors = "not a complete XML document";
    }
    if (document != nullptr && !errors.empty()) {
        mxmlDelete(document);
        document = nullptr;
    }
    return document;
}
