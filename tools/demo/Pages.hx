// The demo's content: a cover and six articles, each with a picture from
// resource/ (drawn by tools/demo/make-pictures.sh at build time).
import flash.display.Loader;
import flash.display.Sprite;
import flash.text.TextField;

typedef Article = {
    kicker:String,
    headline:String,
    body:String,
    picture:String,
    caption:String,
}

class Pages {
    public static inline var kWidth = 800;
    public static inline var kHeight = 496;

    public static var articles:Array<Article> = [
        {
            kicker: "PACKING",
            headline: "One file, the whole magazine",
            body: "A magazine is a folder: its movie, its pictures and a small kest.xml that names the "
                + "entrance movie and the window size. One command turns the folder into a single "
                + "file that opens itself:\n\n    kest -o magazine -p folder\n\n"
                + "Send that file to a friend. Running it unpacks the magazine into a private "
                + "folder, shows it, and tidies up when the window closes.",
            picture: "dawn.jpg",
            caption: "Dawn over the hills, drawn by our own picture script.",
        },
        {
            kicker: "READING",
            headline: "Turning the pages",
            body: "Use the arrow keys or Page Up and Page Down, the small arrows in the title strip "
                + "above, or the Previous and Next buttons at the bottom of this page.\n\n"
                + "Every turn is a call from the window into this movie, so a magazine decides "
                + "for itself how its pages move. This one slides them.",
            picture: "sea.jpg",
            caption: "Waves: a gradient with a few light bands, bent by a sine.",
        },
        {
            kicker: "THE WINDOW",
            headline: "A window of its own",
            body: "The round buttons in the top right corner of this page minimise, maximise and "
                + "close the window; they ask the viewer through commands, just like any "
                + "magazine may.\n\nMaximised, the window spreads the magazine's background "
                + "picture over the screen, and the viewer tells the movie where it sits.",
            picture: "city.jpg",
            caption: "A skyline at night; the windows follow a fixed pattern.",
        },
        {
            kicker: "MEMORY",
            headline: "It remembers where you were",
            body: "Each page you open is written down with the viewer's registry command. "
                + "Close the magazine now and open it again: it reads the value back and returns "
                + "to this very page.\n\nThe values live in a small database in your home "
                + "folder, one per user.",
            picture: "rings.jpg",
            caption: "Rings, one inside the other, like remembered pages.",
        },
        {
            kicker: "KEEPSAKES",
            headline: "Keep a picture",
            body: "Like one of the pictures? The button under it asks the viewer to copy the file "
                + "out of the magazine into your pictures folder, and the viewer answers whether "
                + "the copy worked.\n\nThe folder was looked up when this magazine was packed.",
            picture: "leaves.jpg",
            caption: "Leaves: overlapping translucent circles in greens.",
        },
        {
            kicker: "BEHIND THE SCENES",
            headline: "Made with Haxe",
            body: "This magazine is a Haxe program compiled to a Flash movie by the build, and its "
                + "pictures are drawn by an ImageMagick script. Nothing here was downloaded.\n\n"
                + "Its sources live in tools/demo; the folder that was packed is "
                + "examples/demo plus what the build made.",
            picture: "nebula.jpg",
            caption: "A nebula of seeded plasma: the same stars every build.",
        },
    ];

    public static function count():Int {
        return articles.length + 1;
    }

    // Page `index` (0 is the cover); `live` gets the article's status line,
    // and `save` is called with the picture's file name.
    public static function make(index:Int, live:TextField->Void, save:String->Void):Sprite {
        var page = new Sprite();
        if (index == 0) {
            drawCover(page);
        } else {
            drawArticle(page, articles[index - 1], live, save);
        }
        return page;
    }

    static function drawCover(page:Sprite) {
        var g = page.graphics;
        Ui.gradient(g, 0, 0, kWidth, kHeight, [0x2b1055, 0x7a2f6b, 0xd53369, 0xf8b195]);
        g.beginFill(0xffe8b0, 0.95);
        g.drawCircle(590, 300, 110);
        g.endFill();
        var ranges = [
            {color: 0x6b2152, points: [0, 330, 120, 260, 230, 320, 380, 230, 520, 330, 660, 250, 800, 320]},
            {color: 0x3d1642, points: [0, 400, 150, 330, 300, 390, 450, 320, 600, 400, 720, 350, 800, 380]},
            {color: 0x1f0b2b, points: [0, 450, 200, 410, 380, 455, 560, 415, 800, 450]},
        ];
        for (range in ranges) {
            g.beginFill(range.color);
            g.moveTo(0, kHeight);
            var p = range.points;
            for (i in 0...Std.int(p.length / 2)) {
                g.lineTo(p[2 * i], p[2 * i + 1]);
            }
            g.lineTo(kWidth, kHeight);
            g.endFill();
        }
        Ui.text(page, 48, 40, 500, 14, 0xffd9c0, true, "ISSUE 1  ·  THE DEMO ISSUE");
        Ui.text(page, 44, 62, 600, 84, 0xffffff, true, "Kest");
        Ui.text(page, 48, 176, 400, 22, 0xfff3ea, false, "A magazine in a single file.\nOpen it, read it, keep it.");
        var inside = [for (a in articles) "·  " + a.headline].join("\n");
        Ui.text(page, 48, 262, 330, 13, 0xffd9c0, true, "INSIDE");
        Ui.text(page, 48, 282, 360, 14, 0xffffff, false, inside);
        Ui.text(page, 440, 456, 340, 13, 0xffe8d8, false, "Press the right arrow key or click Next to begin");
    }

    static function drawArticle(page:Sprite, article:Article, live:TextField->Void, save:String->Void) {
        var g = page.graphics;
        g.beginFill(Ui.kPaper);
        g.drawRect(0, 0, kWidth, kHeight);
        g.endFill();
        g.beginFill(Ui.kCoral);
        g.drawRect(48, 28, 36, 4);
        g.endFill();
        Ui.text(page, 48, 38, 500, 13, Ui.kCoral, true, article.kicker);
        Ui.text(page, 46, 58, 704, 30, Ui.kNavy, true, article.headline);
        Ui.text(page, 48, 124, 330, 14, Ui.kInk, false, article.body);
        live(Ui.text(page, 48, 408, 330, 13, Ui.kCoral, true));

        // The picture on a card with a soft shadow.
        g.beginFill(0x000000, 0.08);
        g.drawRoundRect(408, 128, 356, 246, 10, 10);
        g.endFill();
        g.beginFill(0xffffff);
        g.drawRoundRect(404, 124, 356, 246, 10, 10);
        g.endFill();
        var picture = new Loader();
        picture.x = 412;
        picture.y = 132;
        picture.load(Ui.fileUrl("resource/" + article.picture));
        page.addChild(picture);
        Ui.text(page, 404, 380, 356, 12, Ui.kMuted, false, article.caption);
        Ui.button(page, 404, 420, 180, "Save this picture", Ui.kNavy, function() save(article.picture));
    }
}
