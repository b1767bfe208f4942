// Runs before the Emscripten runtime. The wasm travels inside this script as a
// data: URL, which the runtime would fetch; compiled here from its bytes, the
// page makes no request at all, not even for a data: URL.
Module.instantiateWasm = function (imports, receive) {
  WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports).then(function (result) {
    receive(result.instance);
  }, function (error) {
    Module.onLoadFailed(error);
  });
  return {};
};
