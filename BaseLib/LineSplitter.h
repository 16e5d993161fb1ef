#pragma once

#include <boost/regex.hpp>
#include <string>
#include <vector>

// Cuts the complete "\r"-terminated lines off a receive buffer, appends them to
// `lines` and leaves the unfinished tail at the buffer's start.
void SplitLines(char* buffer, int* length, std::vector<std::string>* lines);
void SplitLines(std::string& buffer, std::vector<std::string>& lines);

// Every whole match of `pattern` in `text`, in order.
void Tokenize(const std::string& text, std::vector<std::string>& out, boost::regex pattern);
// Every match read as hexadecimal, low 8 bits appended; a match that is not hex reads 0.
void ParseHexBytes(const std::string& text, std::vector<unsigned char>& out, boost::regex pattern);
// Matches in pairs as little-endian 16-bit words (second + first); a last odd match is dropped.
void ParseHexWords(const std::string& text, std::vector<short>& out, boost::regex pattern);
