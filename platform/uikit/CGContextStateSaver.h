#pragma once

#include "CGContext.h"

// Holds a context's graphics state for the scope it lives in: saved on construction, restored on every way
// out of the scope, early returns included, so drawing code never leaves the context changed.
//
//     CGContextStateSaver saved(context);
//     context.setBlendMode(kCGBlendModeClear);
class CGContextStateSaver {
public:
    explicit CGContextStateSaver(CGContext& context)
        : context_(context)
    {
        context_.saveGState();
    }
    ~CGContextStateSaver() { context_.restoreGState(); }
    CGContextStateSaver(const CGContextStateSaver&) = delete;
    CGContextStateSaver& operator=(const CGContextStateSaver&) = delete;

private:
    CGContext& context_;
};
