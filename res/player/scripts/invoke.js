// The host's calls of the movie's callbacks: the invoke XML the host sends,
// and the XML the answer goes back in. The codec needs no page, so that it
// is tested in a bare script context (hence globalThis, not window).
"use strict";

globalThis.kestInvoke = (() => {
    const kEntities = { "&lt;": "<", "&gt;": ">", "&amp;": "&", "&quot;": "\"", "&apos;": "'" };
    const unescapeXml = (text) => text.replace(/&(lt|gt|amp|quot|apos);/g, (e) => kEntities[e]);
    const escapeXml = (text) => text.replace(/[&<>"']/g, (c) =>
        ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", "\"": "&quot;", "'": "&apos;" })[c]);

    // The function name and arguments of an invoke message. Argument texts are
    // taken up to their closing tag, so an unescaped "<" or "&" in them passes.
    function decode(message) {
        const head = /^\s*<invoke\s+name\s*=\s*(["'])(.*?)\1/.exec(message);
        if (!head) {
            return null;
        }
        const args = [];
        const start = message.indexOf("<arguments>");
        if (start >= 0) {
            const end = message.lastIndexOf("</arguments>");
            const body = message.substring(start + "<arguments>".length, end > start ? end : undefined);
            const argument =
                /<string>([\s\S]*?)<\/string>|<string\/>|<number>([^<]*)<\/number>|<(true|false|null|undefined)\/>/g;
            for (let m; (m = argument.exec(body)) !== null;) {
                if (m[1] !== undefined) {
                    args.push(unescapeXml(m[1]));
                } else if (m[2] !== undefined) {
                    args.push(Number(m[2]));
                } else if (m[3] !== undefined) {
                    args.push({ true: true, false: false, null: null, undefined: undefined }[m[3]]);
                } else {
                    args.push("");
                }
            }
        }
        return { name: unescapeXml(head[2]), args };
    }

    // A value as the player's XML return text.
    function encode(value) {
        if (value === undefined) return "<undefined/>";
        if (value === null) return "<null/>";
        if (value === true) return "<true/>";
        if (value === false) return "<false/>";
        if (typeof value === "number") return `<number>${value}</number>`;
        if (typeof value === "string") return `<string>${escapeXml(value)}</string>`;
        const properties = (entries) => entries.map(([key, item]) =>
            `<property id="${escapeXml(String(key))}">${encode(item)}</property>`).join("");
        if (Array.isArray(value)) return `<array>${properties(value.map((v, i) => [i, v]))}</array>`;
        return `<object>${properties(Object.entries(value))}</object>`;
    }

    // A movie registers its callbacks in its first frames, which a busy
    // machine may run a little after those the page waits for: a call this
    // soon waits for its callback.
    const kCallbacksSettle = 1000; // ms

    // The host's call(message) of `player`'s movie: the answer's XML, or ""
    // when there is no such callback. `movie.running` settles once the
    // current movie has run its first frame (null while no movie was asked
    // for); `movie.runningSince` is when it had, -Infinity before.
    function callsTo(player, movie, nextFrame) {
        return async (message) => {
            const request = decode(message);
            if (!request || !movie.running) {
                return "";
            }
            await movie.running;
            // Callbacks are own properties of the player element; anything
            // else on it (its methods, its prototype's) is not the movie's.
            const registered = () => Object.prototype.hasOwnProperty.call(player, request.name);
            while (!registered() && performance.now() - movie.runningSince < kCallbacksSettle) {
                await nextFrame();
            }
            if (!registered()) {
                return "";
            }
            try {
                return encode(player.ruffle().callExternalInterface(request.name, ...request.args));
            } catch (error) {
                return "";
            }
        };
    }

    return { decode, encode, callsTo };
})();
