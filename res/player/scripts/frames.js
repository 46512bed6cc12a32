// Draws a frame only when it would change the picture.
//
// Ruffle draws the whole stage at the movie's frame rate whether anything
// moved or not, and without a GPU every frame is rasterised in software: a
// still page kept one and a half cores busy. Here the calls Ruffle makes on
// its WebGL context are held, not run, until the task that made them ends
// (one frame is one task), and compared call by call with the last frame
// that ran: the same methods, numbers and objects, the same bytes uploaded.
// A frame that repeats it whole would draw what is on the screen already and
// is dropped; any other runs as it was called. The movie runs exactly as
// before; only the drawing of an unchanged frame is saved.
//
// What a frame cannot be compared by makes it run at once and in full: a call
// that answers (a query, a read), and an upload from a picture, canvas or
// video, whose pixels are not in the arguments. A canvas that is resized
// draws its next frame whatever it holds. Objects a frame makes (wgpu's
// buffer of the frame's uniforms) match those the last frame made in the
// same order; a frame that keeps one of them for later always runs, since
// one dropped would never have been filled.
// A frame that reads a texture the last frame changed (BitmapData.draw onto
// the same bitmap, frame after frame) always runs too: with the same calls it
// builds on a different picture.
"use strict";

(() => {
    // The host sets this to compare the pictures with and without.
    if (window.kestEveryFrame) {
        return;
    }

    // The context's own objects, which a record keeps by identity.
    const kHandles = new Set([
        "WebGLBuffer", "WebGLTexture", "WebGLFramebuffer", "WebGLRenderbuffer", "WebGLProgram", "WebGLShader",
        "WebGLUniformLocation", "WebGLVertexArrayObject", "WebGLVertexArrayObjectOES", "WebGLSampler",
        "WebGLQuery", "WebGLSync", "WebGLTransformFeedback",
    ].filter((name) => window[name]).map((name) => window[name].prototype));
    const isHandle = (value) => kHandles.has(Object.getPrototypeOf(value));

    // A created object's place in the record; the object exists already.
    class Made {
        constructor(args) {
            this.args = args;
        }
    }
    const kOpaque = Symbol("opaque");

    // An argument as the record keeps it: data copied as it is now, since
    // the caller reuses its memory before the frame runs.
    function kept(value) {
        if (ArrayBuffer.isView(value)) {
            const bytes = new Uint8Array(value.buffer, value.byteOffset, value.byteLength).slice();
            return new value.constructor(bytes.buffer);
        }
        if (value instanceof ArrayBuffer) {
            return value.slice(0);
        }
        if (Array.isArray(value)) {
            return value.every((item) => typeof item !== "object") ? value.slice() : kOpaque;
        }
        return isHandle(value) ? value : kOpaque;
    }

    // Two pieces of data (views or buffers) hold the same bytes.
    function sameData(a, b) {
        if (a.constructor !== b.constructor || a.byteLength !== b.byteLength) {
            return false;
        }
        const aOffset = a.byteOffset ?? 0;
        const bOffset = b.byteOffset ?? 0;
        const type = (a.byteLength | aOffset | bOffset) % 4 === 0 ? Int32Array : Uint8Array;
        const x = new type(a.buffer ?? a, aOffset, a.byteLength / type.BYTES_PER_ELEMENT);
        const y = new type(b.buffer ?? b, bOffset, b.byteLength / type.BYTES_PER_ELEMENT);
        for (let i = 0; i < x.length; i++) {
            if (x[i] !== y[i]) {
                return false;
            }
        }
        return true;
    }
    const isData = (value) => ArrayBuffer.isView(value) || value instanceof ArrayBuffer;

    // One frame's calls. While they repeat the last frame's, one by one, it
    // keeps nothing but how far they went; from the first that differs, it
    // keeps a record of its own.
    class Frame {
        constructor(last) {
            this.last = last; // the frame it may repeat
            this.repeated = 0; // how much of the last frame's record it repeated
            this.calls = last ? null : []; // target, method, arguments: three slots a call
            this.made = new Map(); // object this frame made -> its order
            this.madeInOrder = [];
            this.live = new Set(); // of those, the ones it has not deleted
            this.deletes = []; // target, method, object: its deletes of those
            this.whole = true; // false once it ran before its end
            this.cleared = new Set(); // pictures it cleared
            this.written = new Set(); // pictures it drew, cleared or blitted into
            this.readsChanged = false; // whether it read a picture the last frame changed
        }

        // Whether `value`, given now, is what `stored` was in the last frame.
        same(value, stored) {
            if (value === stored) {
                return true;
            }
            if (value === null || stored === null || typeof value !== "object" || typeof stored !== "object") {
                return false;
            }
            if (isData(value)) {
                return isData(stored) && sameData(value, stored);
            }
            if (Array.isArray(value)) {
                return Array.isArray(stored) && this.sameList(value, stored);
            }
            const order = this.made.get(value);
            return order !== undefined && order === this.last.made.get(stored);
        }

        sameList(values, stored) {
            if (values.length !== stored.length) {
                return false;
            }
            for (let i = 0; i < values.length; i++) {
                if (!this.same(values[i], stored[i])) {
                    return false;
                }
            }
            return true;
        }

        // Takes a call as a repeat of the last frame's next one, if it is.
        repeats(target, method, args, made) {
            const calls = this.last.calls;
            const i = this.repeated;
            if (i >= calls.length || calls[i] !== target || calls[i + 1] !== method) {
                return false;
            }
            const stored = calls[i + 2];
            if ((stored instanceof Made) !== made || !this.sameList(args, made ? stored.args : stored)) {
                return false;
            }
            this.repeated = i + 3;
            return true;
        }

        // Starts its own record, if it has none yet, with what it repeated,
        // in its own objects.
        differ() {
            if (this.calls) {
                return;
            }
            const last = this.last;
            const own = (value) => {
                const order = last.made.get(value);
                return order === undefined ? value : this.madeInOrder[order];
            };
            this.calls = [];
            for (let i = 0; i < this.repeated; i += 3) {
                const args = last.calls[i + 2];
                this.calls.push(last.calls[i], last.calls[i + 1], args instanceof Made ? args : args.map(own));
            }
        }

        // Records a call; false when one of its arguments cannot be kept.
        record(target, method, args) {
            const copy = new Array(args.length);
            for (let i = 0; i < args.length; i++) {
                const value = args[i];
                copy[i] = value !== null && typeof value === "object" ? kept(value) : value;
                if (copy[i] === kOpaque) {
                    return false;
                }
            }
            this.calls.push(target, method, copy);
            return true;
        }

        run() {
            const calls = this.calls;
            for (let i = 0; i < calls.length; i += 3) {
                if (!(calls[i + 2] instanceof Made)) {
                    try {
                        calls[i + 1].apply(calls[i], calls[i + 2]);
                    } catch (error) {
                        console.error(error);
                    }
                }
            }
        }

        // Dropped: what it made is deleted as the frame would have.
        drop() {
            for (let i = 0; i < this.deletes.length; i += 3) {
                this.deletes[i + 1].call(this.deletes[i], this.deletes[i + 2]);
            }
        }
    }

    const Pictures = window.kestPictures;

    // One context's frames.
    class Recorder {
        constructor() {
            this.frame = null;
            this.last = null; // the last frame that ran whole
            this.resized = false;
            this.pictures = new Pictures();
        }

        current() {
            if (!this.frame) {
                this.frame = new Frame(this.last);
                queueMicrotask(() => this.end());
            }
            return this.frame;
        }

        end() {
            const frame = this.frame;
            const resized = this.resized;
            this.frame = null;
            this.resized = false;
            if (!frame.whole) {
                this.last = null;
                this.pictures.changed(frame);
            } else if (!frame.calls && frame.repeated === frame.last.calls.length && !resized && !frame.live.size &&
                       !frame.readsChanged) {
                frame.drop();
            } else {
                frame.differ();
                frame.run();
                frame.last = null;
                this.last = frame;
                this.pictures.changed(frame);
            }
        }

        // Runs what the frame recorded so far; the rest of it runs as called.
        runNow() {
            const frame = this.frame;
            if (frame?.whole) {
                frame.differ();
                frame.run();
                frame.whole = false;
            }
        }

        command(target, method, args) {
            const frame = this.current();
            if (frame.whole) {
                if (!frame.calls && frame.repeats(target, method, args, false)) {
                    return undefined;
                }
                frame.differ();
                if (frame.record(target, method, args)) {
                    return undefined;
                }
                this.runNow();
            }
            return method.apply(target, args);
        }

        create(target, method, args) {
            const object = method.apply(target, args);
            const frame = this.current();
            if (frame.whole && object) {
                frame.made.set(object, frame.madeInOrder.length);
                frame.madeInOrder.push(object);
                frame.live.add(object);
                if (frame.calls || !frame.repeats(target, method, args, true)) {
                    frame.differ();
                    frame.calls.push(target, method, new Made(args.slice()));
                }
            }
            return object;
        }

        delete(target, method, args) {
            const frame = this.current();
            if (frame.whole && frame.live.delete(args[0])) {
                frame.deletes.push(target, method, args[0]);
            }
            return this.command(target, method, args);
        }

        answer(target, method, args) {
            this.runNow();
            return method.apply(target, args);
        }
    }

    const kRecorder = Symbol("recorder");
    const recorders = new WeakMap(); // canvas -> its context's recorder
    function recorderOf(context) {
        let recorder = context[kRecorder];
        if (!recorder) {
            recorder = context[kRecorder] = new Recorder();
            recorders.set(context.canvas, recorder);
        }
        return recorder;
    }

    // A call's arguments, reused from call to call: a record copies them.
    const scratch = [];
    // Calls that answer, or whose answer depends on what ran before them.
    const kAnswers = /^(get|is[A-Z]|check|readPixels|clientWait|fenceSync|finish|make)/;
    const kNoted = /^(bindFramebuffer|framebuffer|drawBuffers|activeTexture|bindTexture|clear$|clearBuffer|draw(Arrays|Elements|RangeElements)|multiDraw|blitFramebuffer|copyTex)/;
    function wrapped(name, method, contextOf) {
        const kind = name.startsWith("create") ? "create" :
            name.startsWith("delete") ? "delete" :
            kAnswers.test(name) ? "answer" : "command";
        const noted = kNoted.test(name);
        return function () {
            // Most calls only repeat the last frame's: they allocate nothing.
            scratch.length = arguments.length;
            for (let i = 0; i < arguments.length; i++) {
                scratch[i] = arguments[i];
            }
            const recorder = recorderOf(contextOf(this));
            if (noted) {
                recorder.pictures.note(name, scratch, recorder.current());
            }
            return recorder[kind](this, method, scratch);
        };
    }

    // An extension's calls are the context's, in the same order.
    const extended = new WeakSet();
    function recordExtension(extension, context) {
        if (!extension || typeof extension !== "object" || extended.has(extension)) {
            return;
        }
        extended.add(extension);
        for (let proto = Object.getPrototypeOf(extension); proto && proto !== Object.prototype;
             proto = Object.getPrototypeOf(proto)) {
            for (const name of Object.getOwnPropertyNames(proto)) {
                const method = Object.getOwnPropertyDescriptor(proto, name).value;
                if (typeof method === "function" && name !== "constructor" && !Object.hasOwn(extension, name)) {
                    extension[name] = wrapped(name, method, () => context);
                }
            }
        }
    }

    for (const type of [window.WebGLRenderingContext, window.WebGL2RenderingContext]) {
        if (!type) {
            continue;
        }
        for (const name of Object.getOwnPropertyNames(type.prototype)) {
            const method = Object.getOwnPropertyDescriptor(type.prototype, name).value;
            if (typeof method !== "function" || name === "constructor") {
                continue;
            }
            type.prototype[name] = name === "getExtension"
                ? function (...args) {
                    const extension = recorderOf(this).answer(this, method, args);
                    recordExtension(extension, this);
                    return extension;
                }
                : wrapped(name, method, (context) => context);
        }
    }

    // Resizing a canvas clears it: what it recorded runs first, and its
    // next frame is drawn whatever it records.
    for (const side of ["width", "height"]) {
        const property = Object.getOwnPropertyDescriptor(HTMLCanvasElement.prototype, side);
        Object.defineProperty(HTMLCanvasElement.prototype, side, {
            ...property,
            set(value) {
                const recorder = recorders.get(this);
                if (recorder) {
                    recorder.runNow();
                    recorder.resized = true;
                }
                property.set.call(this, value);
            },
        });
    }
})();
