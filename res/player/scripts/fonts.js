// Device fonts. Ruffle asks the engine for a device font by the name the
// movie gave (the server respells the generic names, see
// GenericFontNames.h). Names of the fonts of a Chinese Windows, and the
// generic names, get the system's family of their kind behind them, which
// fontconfig resolves, with a fallback for each character that the first
// font lacks; a font of that very name, where the reader has one, still
// comes first.
"use strict";

window.kestFonts = (() => {
    const kFamilyKinds = new Map();
    for (const [kind, names] of Object.entries({
        "sans-serif": ["_sans", "黑体", "SimHei", "微软雅黑", "Microsoft YaHei", "微软正黑体", "Microsoft JhengHei",
            "华文黑体", "STHeiti", "华文细黑", "STXihei", "幼圆", "YouYuan", "等线", "DengXian", "Arial",
            "Helvetica", "Verdana", "Tahoma", "Trebuchet MS", "Calibri", "Segoe UI"],
        "serif": ["_serif", "宋体", "SimSun", "仿宋", "FangSong", "仿宋_GB2312", "FangSong_GB2312", "楷体",
            "KaiTi", "楷体_GB2312", "KaiTi_GB2312", "华文宋体", "STSong", "华文中宋", "STZhongsong", "华文仿宋",
            "STFangsong", "华文楷体", "STKaiti", "隶书", "LiSu", "华文隶书", "STLiti", "华文新魏", "STXinwei",
            "华文行楷", "STXingkai", "方正舒体", "FZShuTi", "方正姚体", "FZYaoti", "Times New Roman", "Times",
            "Georgia", "Cambria"],
        "monospace": ["_typewriter", "新宋体", "NSimSun", "Courier New", "Courier", "Consolas", "Lucida Console"],
    })) {
        for (const name of names) {
            kFamilyKinds.set(name.toLowerCase(), kind);
        }
    }

    // Ruffle draws device text on offscreen canvases (deviceFontRenderer
    // "canvas"); their font names get their families behind them.
    function useSystemFamilies() {
        const fontProperty = Object.getOwnPropertyDescriptor(OffscreenCanvasRenderingContext2D.prototype, "font");
        Object.defineProperty(OffscreenCanvasRenderingContext2D.prototype, "font", {
            ...fontProperty,
            set(value) {
                const font = /^((?:italic )?(?:bold )?[\d.]+px )("(?:[^"\\]|\\.)*")$/.exec(value);
                const kind = font && kFamilyKinds.get(JSON.parse(font[2]).toLowerCase());
                fontProperty.set.call(this, kind ? `${font[1]}${font[2]}, ${kind}` : value);
            },
        });
    }

    return { useSystemFamilies };
})();
