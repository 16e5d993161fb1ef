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

}  // namespace

mxml_node_t* LoadXmlDocument(std::FILE* stream, std::string& errors) {
    ParseErrorCapture capture;
    mxml_node_t* document = mxmlLoadFile(nullptr, stream, MXML_OPAQUE_CALLBACK);
    errors = t_parseErrors;
    if (document != nullptr && !errors.empty()) {
        mxmlDelete(document);
        document = nullptr;
    }
    return document;
}
