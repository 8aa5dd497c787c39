<%@ page contentType="text/html; charset=UTF-8" import="java.util.*" %>
<%@ taglib prefix="c" uri="jakarta.tags.core" %>
<!DOCTYPE html>
<html>
<head><title>Orders</title></head>
<body>
<%
    List<String> items = new ArrayList<>();
    String name = request.getParameter("name");
    if (name != null && !name.isEmpty()) {
        items.add(name);
    }
    for (int i = 0; i < items.size(); i++) {
%>
    <p class="item"><%= items.get(i) %></p>
<%
    }
    boolean empty = items.isEmpty();
%>
<c:if test="${empty}">
  <p>No orders yet.</p>
</c:if>
<jsp:include page="footer.jsp" />
</body>
</html>
