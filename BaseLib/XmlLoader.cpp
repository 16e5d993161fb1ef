#include "XmlLoader.h"

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

}  // namespace

mxml_node_t* LoadXmlDocument(std::FILE* stream, std::string& errors) {
    ParseErrorCapture capture;
    const long start = std::ftell(stream);
    mxml_node_t* document = nullptr;
    if (ParsesCleanly(stream) && start >= 0 && std::fseek(stream, start, SEEK_SET) == 0) {
        document = mxmlLoadFile(nullptr, stream, MXML_OPAQUE_CALLBACK);
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
