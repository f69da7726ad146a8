<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>Camscout</name>
    <message id="101">
        <source>About Camscout(&amp;A)...</source>
        <translation>关于 Camscout(&amp;A)...</translation>
    </message>
    <message id="102">
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message id="103">
        <source>MAC</source>
        <translation>MAC地址</translation>
    </message>
    <message id="104">
        <source>IP</source>
        <translation>IP地址</translation>
    </message>
    <message id="105">
        <source>NetMask</source>
        <translation>子网掩码</translation>
    </message>
    <message id="106">
        <source>GateWay</source>
        <translation>网关</translation>
    </message>
    <message id="107">
        <source>Search(&amp;S)</source>
        <translation>搜索(&amp;S)</translation>
    </message>
    <message id="108">
        <source>Config IE(&amp;C)</source>
        <translation>配置IE(&amp;C)</translation>
    </message>
    <message id="109">
        <source>Setting All(&amp;A)</source>
        <translation>批量设置(&amp;A)</translation>
    </message>
    <message id="110">
        <source>Apply(&amp;P)</source>
        <translation>应用(&amp;P)</translation>
    </message>
    <message id="111">
        <source>Updata Only</source>
        <translation>单个更新</translation>
    </message>
    <message id="112">
        <source>UpdataIP(&amp;I)</source>
        <translation>更新IP(&amp;I)</translation>
    </message>
    <message id="113">
        <source>UpdataMac(&amp;M)</source>
        <translation>更新MAC(&amp;M)</translation>
    </message>
    <message id="114">
        <source>UpdataName(&amp;N)</source>
        <translation>更新名称(&amp;N)</translation>
    </message>
    <message id="115">
        <source>UpdataPort(&amp;P)</source>
        <translation>更新端口(&amp;P)</translation>
    </message>
    <message id="116">
        <source>Default(&amp;D)</source>
        <translation>恢复默认(&amp;D)</translation>
    </message>
    <message id="117">
        <source>Create search thread failed</source>
        <translation>创建搜索线程失败</translation>
    </message>
    <message id="118">
        <source>No change</source>
        <translation>没有改变</translation>
    </message>
    <message id="119">
        <source>whether updata MAC address?</source>
        <translation>是否更新MAC地址？</translation>
    </message>
    <message id="120">
        <source>EngLish</source>
        <translation>English</translation>
    </message>
    <message id="121">
        <source>简体中文</source>
        <translation>简体中文</translation>
    </message>
    <message id="122">
        <source>繁体中文</source>
        <translation>繁体中文</translation>
    </message>
    <message id="141">
        <source>Total:</source>
        <translation>总数:</translation>
    </message>
    <message id="143">
        <source>Config IE success</source>
        <translation>配置IE成功</translation>
    </message>
    <message id="144">
        <source>Please input password!</source>
        <translation>请输入密码！</translation>
    </message>
    <message id="145">
        <source>Password isn't correct</source>
        <translation>密码不正确</translation>
    </message>
    <message id="146">
        <source>NOTIFICATION</source>
        <translation>提示</translation>
    </message>
    <message id="147">
        <source>Please select a item first</source>
        <translation>请先选择一项</translation>
    </message>
    <message id="148">
        <source>You can't run two instances at one time !!!</source>
        <translation>不能同时运行两个实例！！！</translation>
    </message>
    <message id="149">
        <source>Port should be from 1 to 65535 </source>
        <translation>端口应在1到65535之间 </translation>
    </message>
    <message id="151">
        <source>Update Http Port</source>
        <translation>更新HTTP端口</translation>
    </message>
    <message id="152">
        <source>Mac format error, should be XX-XX-XX-XX-XX-XX</source>
        <translation>MAC格式错误，应为 XX-XX-XX-XX-XX-XX</translation>
    </message>
    <message id="153">
        <source>Update Mac</source>
        <translation>更新MAC</translation>
    </message>
    <message id="154">
        <source>Mac format error, some is not number !</source>
        <translation>MAC格式错误，含有非十六进制字符！</translation>
    </message>
    <message id="155">
        <source>New name empty</source>
        <translation>新名称为空</translation>
    </message>
    <message id="156">
        <source>Updata Name</source>
        <translation>更新名称</translation>
    </message>
    <message id="158">
        <source>Updata IP</source>
        <translation>更新IP</translation>
    </message>
    <message id="dialog.ok">
        <source>OK</source>
        <translation>确定</translation>
    </message>
    <message id="dialog.cancel">
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message id="100.title">
        <source>About Camscout</source>
        <translation>关于 Camscout</translation>
    </message>
    <message id="100.product">
        <source>CamScout - Halvern, camera finder</source>
        <translation>CamScout - Halvern 摄像机搜索工具</translation>
    </message>
    <message id="100.purpose">
        <source>Finds the IP cameras of the local network and changes their network settings.</source>
        <translation>查找局域网中的网络摄像机并修改其网络设置。</translation>
    </message>
    <message id="dialog.1028">
        <source>IP Address</source>
        <translation>IP地址</translation>
    </message>
    <message id="dialog.1019">
        <source>User Name</source>
        <translation>用户名</translation>
    </message>
    <message id="dialog.1020">
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message id="129.title">
        <source>UpdateIP</source>
        <translation>更新IP</translation>
    </message>
    <message id="129.1013">
        <source>Old IP Address</source>
        <translation>原IP地址</translation>
    </message>
    <message id="129.1016">
        <source>Old Subnet Mask</source>
        <translation>原子网掩码</translation>
    </message>
    <message id="129.1017">
        <source>Old Gateway</source>
        <translation>原网关</translation>
    </message>
    <message id="129.1014">
        <source>New IP Address</source>
        <translation>新IP地址</translation>
    </message>
    <message id="129.1018">
        <source>New Subnet Mask</source>
        <translation>新子网掩码</translation>
    </message>
    <message id="129.1015">
        <source>New Gateway</source>
        <translation>新网关</translation>
    </message>
    <message id="130.title">
        <source>UpdateMac</source>
        <translation>更新MAC</translation>
    </message>
    <message id="130.1023">
        <source>Old MAC</source>
        <translation>原MAC地址</translation>
    </message>
    <message id="130.1024">
        <source>New MAC</source>
        <translation>新MAC地址</translation>
    </message>
    <message id="131.title">
        <source>UpdateName</source>
        <translation>更新名称</translation>
    </message>
    <message id="131.1030">
        <source>Old Name</source>
        <translation>原名称</translation>
    </message>
    <message id="131.1031">
        <source>New Name</source>
        <translation>新名称</translation>
    </message>
    <message id="132.title">
        <source>Update Http Port</source>
        <translation>更新HTTP端口</translation>
    </message>
    <message id="132.1035">
        <source>Old Port</source>
        <translation>原端口</translation>
    </message>
    <message id="132.1036">
        <source>New Port</source>
        <translation>新端口</translation>
    </message>
    <message id="134.title">
        <source>Set Default</source>
        <translation>恢复默认设置</translation>
    </message>
    <message id="134.note">
        <source>Restore the camera's default settings.</source>
        <translation>将摄像机恢复为默认设置。</translation>
    </message>
    <message id="136.title">
        <source>Setting All</source>
        <translation>批量设置</translation>
    </message>
    <message id="136.old">
        <source>Old Data</source>
        <translation>原数据</translation>
    </message>
    <message id="136.new">
        <source>New Data</source>
        <translation>新数据</translation>
    </message>
    <message id="136.mask">
        <source>Subnet Mask</source>
        <translation>子网掩码</translation>
    </message>
    <message id="136.gateway">
        <source>Gateway</source>
        <translation>网关</translation>
    </message>
    <message id="136.mac">
        <source>MAC</source>
        <translation>MAC地址</translation>
    </message>
    <message id="136.port">
        <source>Port</source>
        <translation>端口</translation>
    </message>
    <message id="136.name">
        <source>Name</source>
        <translation>名称</translation>
    </message>
    <message id="136.1073">
        <source>Change MAC</source>
        <translation>修改MAC</translation>
    </message>
    <message id="136.namecaption">
        <source>Update Name</source>
        <translation>更新名称</translation>
    </message>
    <message id="137.title">
        <source>Show Info</source>
        <translation>修改信息</translation>
    </message>
    <message id="139.title">
        <source>Input Password</source>
        <translation>输入密码</translation>
    </message>
    <message id="139.prompt">
        <source>Access code for MAC changes:</source>
        <translation>MAC修改授权码：</translation>
    </message>
    <message id="log.noanswer">
        <source>no answer within %1 s</source>
        <translation>%1 秒内无应答</translation>
    </message>
    <message id="log.nocamera">
        <source>No camera answered the search</source>
        <translation>没有摄像机响应搜索</translation>
    </message>
</context>
</TS>
