# Writes the SHA-256 of the built libpermanent.so into a header for weighdesk's start-up check.
# Run as: cmake -DLIBRARY=<libpermanent.so> -DOUTPUT=<header> -P facade-hash.cmake
file(SHA256 "${LIBRARY}" hash)
set(text "// Generated when libpermanent.so was built.\n#pragma once\n\nnamespace weighdesk {\ninline constexpr const char* kFacadeSha256 = \"${hash}\";\n}\n")
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
