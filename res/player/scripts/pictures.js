// What a frame reads and writes of the pictures it draws with (textures,
// renderbuffers), as its calls say. Run again, a frame that reads a
// picture the last frame changed (BitmapData.draw onto the same bitmap,
// frame after frame) would draw something else with the same calls, so
// it always runs; a picture the frame clears before it reads it carries
// nothing over.
"use strict";

window.kestPictures = (() => {
    const kFramebuffer = 0x8d40;
    const kReadFramebuffer = 0x8ca8;
    const kDrawFramebuffer = 0x8ca9;
    const kColorBufferBit = 0x4000;
    const kColor = 0x1800;
    const kColorAttachment0 = 0x8ce0;
    const kTexture0 = 0x84c0;
    const kNone = new Map();
    class Pictures {
        constructor() {
            this.draw = null; // the framebuffer drawn into; null: the canvas
            this.read = null;
            this.attached = new Map(); // framebuffer -> Map(attachment -> picture)
            this.drawBuffers = new Map(); // framebuffer -> its draw buffers' attachments
            this.unit = 0;
            this.bound = new Map(); // texture unit * 65536 + target -> texture
            this.lastWritten = new Set(); // what the last frame that ran changed
        }

        // What a frame that ran leaves changed for the next: the pictures it
        // drew onto without clearing them first. One it cleared and drew
        // again holds what the same calls draw again.
        changed(frame) {
            this.lastWritten = new Set();
            for (const picture of frame.written) {
                if (!frame.cleared.has(picture)) {
                    this.lastWritten.add(picture);
                }
            }
        }

        of(framebuffer) {
            return this.attached.get(framebuffer) ?? kNone;
        }

        // Renderbuffers (multisampled drawing) are drawn into and resolved
        // within the frame; what a texture carries over is what counts.
        reads(frame, picture) {
            if (picture instanceof WebGLTexture && !frame.cleared.has(picture) && this.lastWritten.has(picture)) {
                frame.readsChanged = true;
            }
        }

        writes(frame, framebuffer, clears) {
            for (const picture of this.of(framebuffer).values()) {
                if (picture) {
                    frame.written.add(picture);
                    if (clears) {
                        frame.cleared.add(picture);
                    }
                }
            }
        }

        // Takes note of a call by its method's name.
        note(name, args, frame) {
            const target = args[0];
            const drawn = target === kFramebuffer || target === kDrawFramebuffer;
            if (name === "bindFramebuffer") {
                if (drawn) {
                    this.draw = args[1];
                }
                if (target === kFramebuffer || target === kReadFramebuffer) {
                    this.read = args[1];
                }
            } else if (name.startsWith("framebuffer")) {
                const framebuffer = target === kReadFramebuffer ? this.read : this.draw;
                if (framebuffer) {
                    if (!this.attached.has(framebuffer)) {
                        this.attached.set(framebuffer, new Map());
                    }
                    this.attached.get(framebuffer).set(args[1], name === "framebufferTextureLayer" ? args[2] : args[3]);
                }
            } else if (name === "drawBuffers") {
                this.drawBuffers.set(this.draw, Array.from(target));
            } else if (name === "activeTexture") {
                this.unit = target - kTexture0;
            } else if (name === "bindTexture") {
                this.bound.set(this.unit * 65536 + target, args[1]);
            } else if (name === "clear") {
                this.writes(frame, this.draw, (target & kColorBufferBit) !== 0);
            } else if (name.startsWith("clearBuffer")) {
                if (target === kColor) {
                    const attachment = this.drawBuffers.get(this.draw)?.[args[1]] ?? kColorAttachment0 + args[1];
                    const picture = this.of(this.draw).get(attachment);
                    if (picture) {
                        frame.cleared.add(picture);
                        frame.written.add(picture);
                    }
                }
            } else if (name === "blitFramebuffer" || name.startsWith("copyTex")) {
                for (const picture of this.of(this.read).values()) {
                    this.reads(frame, picture);
                }
                if (name === "blitFramebuffer") {
                    this.writes(frame, this.draw, true); // a resolve, or the frame shown: whole
                } else {
                    frame.readsChanged = true; // into a texture bound somewhere: not followed
                }
            } else {
                // A draw: it may sample any texture bound, and writes its framebuffer.
                for (const texture of this.bound.values()) {
                    this.reads(frame, texture);
                }
                this.writes(frame, this.draw, false);
            }
        }
    }

    return Pictures;
})();
