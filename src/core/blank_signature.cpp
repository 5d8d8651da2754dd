#include "core/blank_signature.h"

bool IsBlankSignature(const std::string& signature) {
    return signature.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
}
