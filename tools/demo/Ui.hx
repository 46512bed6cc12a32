// Drawing helpers shared by the demo's pages and its frame: the palette,
// text fields, gradients and clickable controls.
import flash.display.GradientType;
import flash.display.Graphics;
import flash.display.Sprite;
import flash.events.MouseEvent;
import flash.geom.Matrix;
import flash.net.URLRequest;
import flash.text.TextField;
import flash.text.TextFieldAutoSize;
import flash.text.TextFormat;

class Ui {
    public static inline var kNavy = 0x1d2b4f;
    public static inline var kCoral = 0xf08a5d;
    public static inline var kPaper = 0xfbf7f0;
    public static inline var kInk = 0x2b2b33;
    public static inline var kMuted = 0x7a7480;
    public static inline var kSand = 0xefe6d8;

    public static function text(parent:Sprite, x:Float, y:Float, width:Float, size:Int, color:Int,
                                bold = false, content = ""):TextField {
        var field = new TextField();
        var format = new TextFormat("_sans", size, color, bold);
        format.leading = Std.int(size / 3);
        field.defaultTextFormat = format;
        field.selectable = false;
        field.multiline = true;
        field.wordWrap = true;
        field.autoSize = TextFieldAutoSize.LEFT;
        field.width = width;
        field.x = x;
        field.y = y;
        field.text = content;
        parent.addChild(field);
        return field;
    }

    // A vertical gradient through `colors`, spread evenly.
    public static function gradient(g:Graphics, x:Float, y:Float, width:Float, height:Float, colors:Array<Int>) {
        var box = new Matrix();
        box.createGradientBox(width, height, Math.PI / 2, x, y);
        var last = colors.length - 1;
        g.beginGradientFill(GradientType.LINEAR, [for (c in colors) (c : UInt)], [for (_ in colors) 1.0],
            [for (i in 0...colors.length) Std.int(255 * i / last)], box);
        g.drawRect(x, y, width, height);
        g.endFill();
    }

    // A clickable control; `paint` draws it, hovered or not.
    public static function control(parent:Sprite, x:Float, y:Float, paint:(Graphics, Bool) -> Void,
                                   onClick:() -> Void):Sprite {
        var button = new Sprite();
        button.x = x;
        button.y = y;
        button.buttonMode = true;
        button.useHandCursor = true;
        button.mouseChildren = false;
        var draw = function(hovered:Bool) {
            button.graphics.clear();
            paint(button.graphics, hovered);
        };
        draw(false);
        button.addEventListener(MouseEvent.MOUSE_OVER, function(_) draw(true));
        button.addEventListener(MouseEvent.MOUSE_OUT, function(_) draw(false));
        button.addEventListener(MouseEvent.CLICK, function(_) onClick());
        parent.addChild(button);
        return button;
    }

    // A rounded button with a centred label.
    public static function button(parent:Sprite, x:Float, y:Float, width:Float, label:String, color:Int,
                                  onClick:() -> Void):Sprite {
        var button = control(parent, x, y, function(g, hovered) {
            g.beginFill(hovered ? lighter(color) : color);
            g.drawRoundRect(0, 0, width, 34, 18, 18);
            g.endFill();
        }, onClick);
        var caption = text(button, 0, 8, width, 14, 0xffffff, true, label);
        var format = caption.getTextFormat();
        format.align = flash.text.TextFormatAlign.CENTER;
        caption.setTextFormat(format);
        return button;
    }

    // A file of the magazine. Relative URLs resolve against the page that
    // embeds the player, not against the movie, so build them from the
    // movie's own address.
    public static function fileUrl(name:String):URLRequest {
        var movie = flash.Lib.current.loaderInfo.url;
        return new URLRequest(movie.substr(0, movie.lastIndexOf("/") + 1) + name);
    }

    static function lighter(color:Int):Int {
        var lift = function(shift:Int) return Std.int(Math.min(255, ((color >> shift) & 0xff) + 28)) << shift;
        return lift(16) | lift(8) | lift(0);
    }
}
