// Test images built in place: code and data with the few routine shapes the
// image tests need (calls through the link table, traces, routines with a
// frame), linked into an image whose entry routine runs RuntimeInit.
#pragma once
#include "classdir.h"
#include "image.h"
#include <functional>
#include <gtest/gtest.h>

namespace img {

// Code and data of a test image, with the few routine shapes the tests need.
struct Program {
  Code code;
  Data data;

  void call(const char *import, int argumentWords) {
    code.call_import(import);
    code.call_descriptor();
    if (argumentWords) code.add(esp, 4 * argumentWords);
  }
  void trace(const char *text) {
    code.push(data.string_const(text));
    call("lineTrace", 1);
  }
  // Traces `text` when the byte result in AL is true.
  void traceIfTrue(const char *text) {
    CodeLabel skip = code.label();
    code.test8(al, al);
    code.jcc(Cond::e, skip);
    trace(text);
    code.bind(skip);
  }
  CodeLabel routine(const std::function<void()> &body) {
    CodeLabel start = code.here();
    code.push(ebp);
    code.mov(ebp, esp);
    body();
    code.leave();
    code.ret();
    code.frame_map({});
    return start;
  }
  Image link(DataLabel directory, DataLabel plugins = DataLabel()) {
    CodeLabel entry = routine([&] {
      code.push(plugins); /* the nil label: no plug-ins */
      call("Win32InstallPlugins", 1);
      code.push(directory);
      call("RuntimeInit", 1);
    });
    data.set_entry(entry);
    Image image;
    std::string error;
    EXPECT_TRUE(link_image(code, data, &image, &error) && verify_image(image, &error)) << error;
    return image;
  }
};

inline ClassDefinition defineClass(const char *name, int32_t instanceSize,
                                   int32_t superIndex = -1) {
  ClassDefinition c;
  c.name = name;
  c.instanceSize = instanceSize;
  c.superIndex = superIndex;
  return c;
}

} // namespace img
