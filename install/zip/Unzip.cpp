#include "install/zip/Unzip.h"

#include "install/zip/UnzipHandle.h"
#include "install/zip/ZipReader.h"

namespace kv::zip {

ZRESULT g_unzipLastResult = UZR_OK;

namespace {

ZRESULT Finish(ZRESULT result) {
  g_unzipLastResult = result;
  return result;
}

// UZR_OK when `zip` is a reader handle.
ZRESULT CheckHandle(HZIP zip) {
  if (zip == nullptr) {
    return UZR_ARGS;
  }
  return zip->tag == kReaderHandleTag && zip->reader ? UZR_OK : UZR_NOTREADER;
}

}  // namespace

HZIP UnzipOpenMemory(const void* block, std::size_t length) {
  std::unique_ptr<ZipReader> reader = block != nullptr ? ZipReader::Open(block, length) : nullptr;
  if (!reader) {
    Finish(UZR_NOFILE);
    return nullptr;
  }
  auto* handle = new UnzipHandle;
  handle->reader = std::move(reader);
  Finish(UZR_OK);
  return handle;
}

ZRESULT UnzipSetTargetFolder(HZIP zip, const std::string& folder) {
  if (const ZRESULT check = CheckHandle(zip); check != UZR_OK) {
    return Finish(check);
  }
  zip->reader->SetTargetFolder(folder);
  return Finish(UZR_OK);
}

ZRESULT UnzipGetEntry(HZIP zip, int index, UnzipEntry* entry) {
  if (const ZRESULT check = CheckHandle(zip); check != UZR_OK) {
    return Finish(check);
  }
  if (entry == nullptr) {
    return Finish(UZR_ARGS);
  }
  return Finish(zip->reader->GetEntry(index, *entry));
}

ZRESULT UnzipExtractFile(HZIP zip, int index, const std::string& fileName) {
  if (const ZRESULT check = CheckHandle(zip); check != UZR_OK) {
    return Finish(check);
  }
  return Finish(zip->reader->ExtractFile(index, fileName));
}

ZRESULT UnzipClose(HZIP zip) {
  if (const ZRESULT check = CheckHandle(zip); check != UZR_OK) {
    return Finish(check);
  }
  delete zip;
  return Finish(UZR_OK);
}

}  // namespace kv::zip
